#pragma once

#include "cli/conversion.h"
#include "cli/plan.h"

#include <vector>

namespace lumivert::cli {

class Reporter;

// Converts the planned pictures with `jobs` workers, each taking the next picture not yet taken and
// keeping its own buffers. Unless `keepGoing`, no picture is started after one has failed (those already
// being converted are finished). Returns whether every picture was converted.
bool runConversions(const std::vector<Conversion> &conversions, const ConversionSettings &settings, int jobs,
                    bool keepGoing, Reporter &reporter);

} // namespace lumivert::cli

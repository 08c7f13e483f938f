#pragma once

namespace lumivert {

constexpr int VersionMajor = 5;
constexpr int VersionMinor = 1;
constexpr int VersionRevision = 0;

} // namespace lumivert

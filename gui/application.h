#pragma once

#include <QStringList>

#include <optional>

class QApplication;
class QTranslator;

namespace lumivert {

// What the program sets up once, before its first window: its name and icon, the Japanese fonts,
// and Qt's own texts (dialog buttons, file dialog labels) in Japanese whatever the locale, since every
// text of the program is Japanese.
void setUpApplication(QApplication &app);

// Loads Qt's Japanese texts; none when they are not installed.
QTranslator *installJapaneseQtTexts(QApplication &app);

// --help and --version print and end the program before anything needs a display, and so does an
// unknown option written with two dashes (with the usage, status 2); options with one dash may be Qt's
// and are left for QApplication. The exit status after printing, or none to go on.
std::optional<int> answerInformationOptions(const QStringList &arguments);

// The files named on the command line (after QApplication has taken Qt's own options), as absolute
// paths taken before anything changes the current folder; none, with the reason printed, for an option
// that is left.
std::optional<QStringList> filesFromArguments(const QStringList &arguments);

} // namespace lumivert

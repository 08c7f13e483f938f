// Any bytes as the text a file dialog returns (read both as UTF-8 and as UTF-16), split into files
// with either separator, and the names the program derives from each file.

#include "core/dialogfilter.h"
#include "core/fileidentity.h"
#include "core/selection.h"
#include "fuzzcheck.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace lumivert;

namespace {

const QChar Nul(u'\0');

void checkNames(const QString &file, QChar separator)
{
    const auto stem = proposedSaveName(file);
    FUZZ_CHECK(stem.has_value() == (file.size() >= 4));
    if (stem)
        FUZZ_CHECK(*stem + file.right(4) == file);

    const auto output = batchOutputPath(file);
    FUZZ_CHECK(output.has_value() == (file.size() >= 3));
    if (!output)
        return;
    FUZZ_CHECK(output->size() == file.size());
    FUZZ_CHECK(output->endsWith(QLatin1String("BIN")));
    FUZZ_CHECK(output->chopped(3) == file.chopped(3));
    // The save dialog's proposal and the batch output share everything up to the extension's dot.
    if (stem)
        FUZZ_CHECK(*output == *stem + file.at(file.size() - 4) + QLatin1String("BIN"));

    // "BIN" holds no separator, so the output leaves the picture's folder exactly when one of the
    // three replaced characters is a separator. An existing output that is the picture is refused too.
    const bool sameFolder = !file.right(3).contains(separator);
    const bool allowed = sameFolder && *output != file && !sameFile(file, *output);
    const QString problem = batchOutputProblem(file, *output, separator);
    FUZZ_CHECK(problem.isEmpty() == allowed);
}

void checkSelection(const QString &text, QChar separator)
{
    const QStringList files = parseSelection(text, separator);
    const QStringList parts = text.split(Nul);
    if (parts.size() == 1) {
        FUZZ_CHECK(files == QStringList{text});
    } else {
        FUZZ_CHECK(files.size() == parts.size() - 1);
        QString folder = parts.first();
        if (folder.endsWith(separator))
            folder.chop(1);
        for (qsizetype i = 0; i < files.size(); ++i) {
            FUZZ_CHECK(files.at(i).startsWith(folder));
            FUZZ_CHECK(files.at(i).endsWith(separator + parts.at(i + 1)));
            FUZZ_CHECK(files.at(i).size() == folder.size() + 1 + parts.at(i + 1).size());
        }
        // A folder given with one separator at its end means the same folder.
        if (!parts.first().endsWith(separator)) {
            const QString withSeparator = parts.first() + separator + text.mid(parts.first().size());
            FUZZ_CHECK(parseSelection(withSeparator, separator) == files);
        }
    }
    for (const QString &file : files)
        checkNames(file, separator);
}

// What the dialog builds from several chosen files comes apart into the same files again.
void checkJoin(const QString &text)
{
    QStringList names = text.split(Nul);
    const QString folder = names.takeFirst();
    if (names.size() < 2 || !folder.startsWith(u'/') || folder.contains(QLatin1String("//")) ||
        (folder.size() > 1 && folder.endsWith(u'/')))
        return;
    for (const QString &name : names) {
        if (name.isEmpty() || name.contains(u'/'))
            return;
    }
    const QString prefix = folder == QLatin1String("/") ? folder : folder + u'/';
    QStringList paths;
    for (const QString &name : names)
        paths << prefix + name;
    const QStringList files = parseSelection(joinSelection(paths), u'/');
    FUZZ_CHECK(files == paths);
}

void checkText(const QString &text)
{
    checkSelection(text, u'/');
    checkSelection(text, u'\\');
    checkJoin(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));

    // As UTF-16 code units, unchecked: lone surrogates and NULs included, as a dialog may hand them over.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    if (!units.isEmpty())
        std::memcpy(units.data(), data, (size / 2) * sizeof(char16_t));
    checkText(units);
    return 0;
}

// Any bytes as the names a file dialog returns (read both as UTF-8 and as UTF-16, NUL between names),
// the names the program derives from each with either separator, and the folder proposed for them all.

#include "app/filedialogtext.h"
#include "app/outputnaming.h"
#include "core/files/fileidentity.h"
#include "fuzzcheck.h"

#include <QDir>
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
    FUZZ_CHECK(!batchOutputProblem(file, *output, separator) == allowed);
}

// The folder proposed after several files holds every one of them.
void checkCommonFolder(const QString &text)
{
    QStringList paths;
    for (const QString &part : text.split(Nul)) {
        if (!part.startsWith(u'/'))
            return;
        paths << QDir::cleanPath(part);
    }
    const QString folder = QDir::fromNativeSeparators(commonFolder(paths));
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString &path : paths)
        FUZZ_CHECK(path.startsWith(prefix) || path == folder);
}

void checkText(const QString &text)
{
    for (const QString &file : text.split(Nul)) {
        checkNames(file, u'/');
        checkNames(file, u'\\');
    }
    checkCommonFolder(text);
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

#pragma once

#include <QString>

#include <utility>

namespace lumivert {

// Why a core function did not do what it was asked. The cause is for code to act on and for the
// program's edges to word: the session in Japanese for the window, lumivert-cli in English for the
// terminal. The core never chooses the user's language; `detail` keeps what the system or a decoder
// said in its own words (English), for the terminal and for causes that have no wording of their own.
struct Problem
{
    enum class Cause {
        None,
        // Files, read or written
        Missing, // no such file, or no such folder on the way to it
        NoPermission,
        Folder, // a folder where a file was wanted
        Fifo,
        Device,
        Socket,
        NotRegular,  // any other kind of file that is not a plain file
        FileTooLong, // longer than anything of its kind can be
        DiskFull,
        ReadOnlyDrive,
        NameTooLong,
        BadName,     // characters the file system does not take
        WriteFailed, // the disk failed while the data was written
        SystemError, // any other failure the system reported: `detail` says which
        // Pictures
        PictureTooLarge, // over 640 x 480, where no fitting was asked for
        NotAPicture,     // no decoder knew the data
        Damaged,         // a picture, but a broken or hostile one: `detail` says how
        // Outputs named after their pictures
        OutputIsPicture,    // the output would replace the picture itself
        OutputLeavesFolder, // the output would not lie beside its picture
        // Any output
        OutputIsInput,      // the output is a file the run reads, or the one the shown picture came from
        OutputHoldsPicture, // a BIN file would replace a picture: `detail` names the format
        OutputClaimedTwice, // another input of the run writes this output: `detail` names it
        DanglingLink,       // a link to nothing: writing through it would make a file elsewhere
    };

    Problem() = default;
    Problem(Cause c, QString text = {}) : cause(c), detail(std::move(text)) {}

    Cause cause = Cause::None;
    QString detail;

    // True when there is a problem: `if (const Problem p = saveBytes(...))`.
    explicit operator bool() const { return cause != Cause::None; }
};

// The cause of an errno from a failed system call (none for 0), with the system's own words as the
// detail.
Problem systemProblem(int error);

} // namespace lumivert

#pragma once

#include <QString>

class QWidget;

// The one file dialog of the main window. Its properties persist from one command to the next:
// each command sets only what it needs and finds the rest as the previous one left it.
class CommonDialog
{
public:
    // Option bits.
    static constexpr int OverwritePrompt = 0x2;
    static constexpr int HideReadOnly = 0x4;
    static constexpr int NoChangeDir = 0x8;
    static constexpr int AllowMultiSelect = 0x200;
    static constexpr int Explorer = 0x80000;

    explicit CommonDialog(QWidget *parent) : m_parent(parent) {}

    QString InitDir;
    int Flags = 0;
    QString Filter;   // "label|pattern|label|pattern"
    QString FileName; // the chosen path; also the name proposed when shown

    // Modal. True on OK, with FileName holding the result; false when cancelled, which every
    // command treats as its silent end. Several files come back as the folder, then NUL and a
    // name for each file.
    bool ShowOpen() { return show(false); }
    bool ShowSave() { return show(true); }

private:
    bool show(bool save);

    QWidget *m_parent;
};

#pragma once

#include <QString>

namespace platform {

// The program object of the toolkit: its folder, the single-copy test
// and the immediate end.
class App
{
public:
    // The folder that holds the running executable, symlinks resolved,
    // without a trailing separator.
    static QString Path();
    // Tests and tools may point the program at another folder.
    static void overridePath(const QString &folder);

    // True while another copy of the program runs. The first call takes a
    // lock that this process holds until it ends; a crashed or killed holder
    // does not leave it behind, and a temporary folder that cannot be
    // written does not keep the program from starting. `lockName` lets
    // tests use their own lock.
    static bool PrevInstance(const QString &lockName = QStringLiteral("ambrelia"));

    // Ends the program at once, with no further window event.
    [[noreturn]] static void End(int exitCode = 0);

    // Qt's record of the program: Ambrelia 1.00, its menu entry org.example.ambrelia.
    // The windows' titles stay exactly as the program writes them.
    static void setUpVersionRecord();
    // Italian texts for Qt's own buttons, the program's font substitutions.
    static void setUpLocale();
};

} // namespace platform

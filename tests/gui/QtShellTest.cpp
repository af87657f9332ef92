#include "GuiSupport.h"
#include "QtShell.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <map>
#include <string>

using platform::QtShell;

namespace {

// A program that writes its working directory and then each argument on a line of out. It needs
// no PATH: tests change it.
std::string Recorder(const std::string& out)
{
    return "#!/bin/sh\npwd > '" + out + ".tmp'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + out +
           ".tmp'; done\n/bin/mv '" + out + ".tmp' '" + out + "'\n";
}

void WriteProgram(const std::string& path, const std::string& text)
{
    testsupport::WriteFile(path, text);
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The lines a recorder wrote, once it has written them (the program runs detached).
QStringList Recorded(const std::string& out)
{
    const QString path = QString::fromStdString(out);
    for (int i = 0; i < 1000 && !QFileInfo::exists(path); ++i) QTest::qWait(10);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("<nothing recorded>")};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Sets environment variables for one test and puts back what was there.
class Environment {
public:
    ~Environment()
    {
        for (const auto& [name, value] : saved)
            if (value.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), value);
    }
    void Set(const char* name, const std::string& value)
    {
        if (!saved.count(name)) saved[name] = qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
        qputenv(name, QByteArray::fromStdString(value));
    }

private:
    std::map<std::string, QByteArray> saved;
};

} // namespace

TEST(QtShell, StartProgramPassesOneArgumentAndTheWorkingDirectory)
{
    testsupport::TempDir dir;
    const std::string program = dir.file("program");
    WriteProgram(program, Recorder(dir.file("out")));
    const std::string work = dir.file("work dir");
    QDir().mkpath(QString::fromStdString(work));

    QtShell shell;
    ASSERT_TRUE(shell.StartProgram(program.c_str(), "\"/photos/a b/$HOME.jpg\"", work.c_str()));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{QString::fromStdString(work), "/photos/a b/$HOME.jpg"}));

    QFile::remove(QString::fromStdString(dir.file("out")));
    ASSERT_TRUE(shell.StartProgram(program.c_str(), "it's \"quoted\" inside", work.c_str()));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{QString::fromStdString(work), "it's \"quoted\" inside"}));

    EXPECT_FALSE(shell.StartProgram(dir.file("missing").c_str(), "x", work.c_str()));
}

TEST(QtShell, OpenDocumentHandsTheFileToTheDesktopInTheWorkingDirectory)
{
    testsupport::TempDir dir;
    QDir().mkpath(QString::fromStdString(dir.file("bin")));
    WriteProgram(dir.file("bin/xdg-open"), Recorder(dir.file("out")));
    Environment environment;
    environment.Set("PATH", dir.file("bin") + ":" + qgetenv("PATH").toStdString());
    const std::string page = dir.file("thumbnails.html");
    testsupport::WriteFile(page, std::string("<p>"));

    QtShell shell;
    ASSERT_TRUE(shell.OpenDocument(page.c_str(), dir.path().string().c_str()));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{QString::fromStdString(dir.path().string()), QString::fromStdString(page)}));
    EXPECT_FALSE(shell.OpenDocument(dir.file("missing.html").c_str(), dir.path().string().c_str()));
}

TEST(QtShell, EditTextFileRunsTheUsersEditorOrATerminalForIt)
{
    testsupport::TempDir dir;
    QDir().mkpath(QString::fromStdString(dir.file("bin")));
    WriteProgram(dir.file("bin/gui-editor"), Recorder(dir.file("out")));
    WriteProgram(dir.file("bin/vi"), "#!/bin/sh\n");
    WriteProgram(dir.file("bin/x-terminal-emulator"), Recorder(dir.file("out")));
    const std::string file = dir.file("template.html");
    testsupport::WriteFile(file, std::string("x"));
    const QString path = QString::fromStdString(file);
    const QString here = QDir::currentPath();

    Environment environment;
    environment.Set("PATH", dir.file("bin"));
    const auto edit = [&](const std::string& visual, const std::string& editor) {
        QFile::remove(QString::fromStdString(dir.file("out")));
        environment.Set("VISUAL", visual);
        environment.Set("EDITOR", editor);
        return QtShell().EditTextFile(file.c_str());
    };

    ASSERT_TRUE(edit("gui-editor --wait", "vi"));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{here, "--wait", path}));
    ASSERT_TRUE(edit("", "gui-editor"));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{here, path}));
    ASSERT_TRUE(edit("missing-editor", "gui-editor"));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{here, path}));
    // A terminal editor gets a terminal of its own.
    ASSERT_TRUE(edit("vi", ""));
    EXPECT_EQ(Recorded(dir.file("out")), (QStringList{here, "-e", "vi", path}));
    EXPECT_FALSE(edit("", ""));
    EXPECT_FALSE(edit("missing-editor", "nano"));

    QFile::remove(QString::fromStdString(dir.file("bin/x-terminal-emulator")));
    EXPECT_FALSE(edit("vi", ""));
    EXPECT_FALSE(QtShell().EditTextFile(dir.file("missing.html").c_str()));

    EXPECT_TRUE(platform::TerminalEditor({"/usr/bin/vim"}));
    EXPECT_TRUE(platform::TerminalEditor({"emacs", "-nw"}));
    EXPECT_FALSE(platform::TerminalEditor({"emacs"}));
    EXPECT_FALSE(platform::TerminalEditor({"code", "--wait"}));
}

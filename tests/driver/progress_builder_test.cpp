#include "driver/progress_builder.h"

#include "captured_output.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

// Drives the builder the way the engine does for a project: the project's group, its step
// count, then each step's nextStep and (when the step has work) its group.
class Walk
{
public:
    explicit Walk(ProgressBuilder &builder) : m_builder(builder) {}

    void project(const char *name, int steps)
    {
        m_builder.beginGroup(nullptr, QStringLiteral("Building ") + name, 0x14000);
        m_builder.setTotalSteps(nullptr, steps);
    }
    void step(const char *text)
    {
        m_builder.nextStep();
        if (text)
            group(text);
    }
    void group(const char *text) { m_builder.beginGroup(nullptr, QString::fromLatin1(text), 0); }
    void end() { m_builder.endGroup(nullptr); }

private:
    ProgressBuilder &m_builder;
};

TEST(ProgressBuilder, NumbersEachStepsGroupWithinItsProjectOnly)
{
    ProgressBuilder builder(false, true);
    Walk w(builder);
    CapturedOutput out(1);
    w.project("\"lib\"", 2);
    w.step("Compiling a.c");
    w.group("Pre-compile command "); // inside the step: not a step of its own
    w.end();
    w.end();
    w.step("Archiving lib.a");
    w.end();
    w.end();
    w.project("\"app\"", 3);
    w.step(nullptr); // up to date: counted, nothing printed
    w.step("Assembling start.s");
    w.end();
    w.step("Linking app.elf");
    w.group("Generating linker script");
    w.end();
    w.end();
    w.end();
    // After a project has ended, a group outside any project has no number.
    w.group("Building \"file.c\"");
    w.group("Compiling file.c");
    w.end();
    w.end();
    // An externally built project has no counted step; its command is still shown.
    w.project("\"ext\"", 0);
    w.group("Running Build command ext");
    w.end();
    w.end();
    const QStringList expected{"  Building \"lib\"",         "    [1/2] Compiling a.c",
                               "      Pre-compile command ", "    [2/2] Archiving lib.a",
                               "  Building \"app\"",         "    [2/3] Assembling start.s",
                               "    [3/3] Linking app.elf",  "      Generating linker script",
                               "  Building \"file.c\"",      "    Compiling file.c",
                               "  Building \"ext\"",         "    Running Build command ext"};
    EXPECT_EQ(QString::fromLatin1(out.text()).split(u'\n', Qt::SkipEmptyParts), expected);
}

} // namespace

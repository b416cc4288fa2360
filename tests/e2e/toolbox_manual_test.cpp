// The manual page against the program it documents: every option kestrel accepts is described,
// every described option is accepted, and the page renders cleanly from the installation root.
#include "e2e.h"

namespace {

QString manualSource()
{
    return readTextFile(kestrelSourceDir() + "/docs/kestrel.1");
}

// The first capture of each match of `pattern` in `text`.
QStringList captured(const QString &pattern, const QString &text)
{
    QStringList found;
    auto it = QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(1));
    return found;
}

// The options the page describes: the tags of its OPTIONS section (".TP" then ".B"/".BI").
QStringList documentedOptions(const QString &page)
{
    const qsizetype start = page.indexOf("\n.SH OPTIONS");
    const QString section = page.mid(start, page.indexOf("\n.SH ", start + 1) - start);
    return captured(R"re(\n\.TP\n\.BI? (\\-\S+))re", section).replaceInStrings("\\", "");
}

class ToolboxManual : public WorkDir
{
protected:
    // An option kestrel does not know is reported as such before anything else happens.
    bool accepted(const QString &option) const
    {
        const RunResult r = kestrel({option});
        return r.status >= 0 && !r.err.contains("unrecognised option");
    }
};

TEST_F(ToolboxManual, DescribesEveryOptionKestrelAccepts)
{
    const QStringList documented = documentedOptions(manualSource());
    ASSERT_FALSE(documented.isEmpty());

    const RunResult help = kestrel({"-help"});
    ASSERT_EQ(help.status, 0);
    // The options the usage text lists: the first word of its indented option lines.
    const QStringList listed = captured(R"re(^  (-\S+))re", help.err);
    ASSERT_EQ(listed.size(), 18) << qPrintable(help.err);
    // The usage text leaves some out; so do its fixed lines.
    const QStringList unlisted{"-help", "-StudioDir",    "-compile-commands",  "-progress", "-j",
                               "-launcher", "-memory-usage", "-memory-usage-json", "-trace"};
    for (const QString &option : listed + unlisted) {
        if (option == "-j" && !accepted(option))
            continue; // builds without parallel steps have no -j to describe
        EXPECT_TRUE(documented.contains(option)) << qPrintable(option);
    }
    for (const QString &option : documented)
        EXPECT_TRUE(accepted(option))
            << "described but unknown: " << qPrintable(option);
    EXPECT_FALSE(accepted("-no-such-option")) << "the check must be able to fail";
}

TEST_F(ToolboxManual, IsInTheInstallationRootAndRendersCleanly)
{
    const QString installed = kestrelRootDir() + "/share/man/man1/kestrel.1";
    EXPECT_EQ(readTextFile(installed), manualSource());
    if (!have("groff"))
        GTEST_SKIP() << "groff is not installed";

    // -ww reports every warning; a clean page prints nothing with -z.
    const RunResult check = runProgram("groff", {"-man", "-ww", "-z", installed}, dir);
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.err, "");

    const RunResult text =
        runProgram("groff", {"-man", "-Tascii", "-P-cbou", installed}, dir);
    ASSERT_EQ(text.status, 0) << qPrintable(text.err);
    for (const char *section :
         {"NAME", "SYNOPSIS", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES",
          "TESSARY_ROOT_USER_DIR", "settings.xml", "build_options.xml", "-compile-commands file"})
        EXPECT_TRUE(text.out.contains(QLatin1String(section))) << section;
}

} // namespace

// The manual page against the program it documents: every option kestrel accepts is described,
// every described option is accepted, and the page renders cleanly from the installation root.
#include "e2e.h"

#include <QRegularExpression>

namespace {

QString manualSource()
{
    return readTextFile(kestrelSourceDir() + "/docs/kestrel.1");
}

// The options the page describes: the tags of its OPTIONS section (".TP" then ".B"/".BI").
QStringList documentedOptions(const QString &page)
{
    const qsizetype start = page.indexOf("\n.SH OPTIONS");
    const qsizetype end = page.indexOf("\n.SH ", start + 1);
    static const QRegularExpression tag(R"re(\n\.TP\n\.BI? \\-(\S+))re");
    QStringList options;
    auto it = tag.globalMatch(page.mid(start, end - start));
    while (it.hasNext())
        options.append(u'-' + it.next().captured(1).remove(u'\\'));
    return options;
}

// The options the usage text lists: the first word of its indented option lines.
QStringList usageOptions(const QString &usage)
{
    static const QRegularExpression line(R"re(^  (-\S+))re", QRegularExpression::MultilineOption);
    QStringList options;
    auto it = line.globalMatch(usage);
    while (it.hasNext())
        options.append(it.next().captured(1));
    return options;
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
    const QStringList listed = usageOptions(help.err);
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

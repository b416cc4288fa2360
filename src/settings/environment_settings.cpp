#include "settings/environment_settings.h"

#include "host/user_data_dir.h"
#include "project/property_class.h"
#include "project/property_value_list.h"
#include "settings/environment_property_value.h"

namespace {

using Type = PropertyClass::Type;

const QString kSettingsFileName = QStringLiteral("/settings.xml");
const QString kInternalPage = QStringLiteral("(Internal)");

// One catalogue entry below a common key prefix. The short description is the entry's own
// name unless given; `enumerates` is ";"-separated.
struct Entry
{
    const char *name;
    Type type;
    const char *defaultValue;
    const char *longDescription;
    const char *enumerates = nullptr;
    const char *shortDescription = nullptr;
};

struct Block
{
    const char *prefix;
    const char *page;
    const char *group;
    const Entry *entries;
    size_t count;
};

constexpr Type B = PropertyClass::Boolean;
constexpr Type I = PropertyClass::Integer;
constexpr Type S = PropertyClass::String;
constexpr Type SL = PropertyClass::StringList;
constexpr Type E = PropertyClass::Enumeration;
constexpr Type D = PropertyClass::DirPath;
constexpr Type DL = PropertyClass::DirPathList;
constexpr Type FN = PropertyClass::FileName;
constexpr Type F = PropertyClass::Font;
constexpr Type FP = PropertyClass::FixedPitchFont;

const Entry kBuild[] = {
    {"Inhibit Debugger Stop Dialog", B, "No",
     "Stop a running debug session without asking before a build starts."},
    {"Show Command Lines", B, "No", "Show the command line of every build step in the transcript."},
    {"Show Unparsed Error Output", B, "No",
     "Show tool output that is not recognised as an error or a warning."},
    {"Build Before Debug", B, "Yes", "Build the active project before debugging it."},
    {"Find Error After Build", B, "No", "Show the location of the first error after a failed build."},
    {"Save Project File On Build", B, "No", "Save the solution file before every build."},
    {"Show Build Information", B, "Yes", "Show the memory use of the output after a build."},
};

const Entry kEnvironment[] = {
    {"Error Display Timeout", I, "10", "Seconds an error message stays in the status bar."},
    {"Splash Screen", E, "Always", "When to show the splash screen at start-up.",
     "Always;Never;Debug In Studio Only"},
    {"Max Window Menu Items", I, "10", "The number of windows listed in the Window menu."},
    {"Startup Action", E, "Show Home Page", "What to do when the environment starts.",
     "None;Show Home Page;Load Last Solution"},
    {"Permit Multiple Studio Instances", B, "No",
     "Allow more than one copy of the environment to run at a time."},
    {"Status Bar", B, "Yes", "Show the status bar."},
    {"Size Display Unit", E, "Bytes", "The unit in which memory sizes are shown.",
     "Bytes;Kilobytes;Automatic"},
    {"Error Display Mode", E, "Status Bar", "Where error messages are shown.",
     "Status Bar;Message Box"},
    {"Number Menus", B, "No", "Number the entries of the recent file and project menus."},
    {"Show Selector", B, "Yes", "Show the window selector when switching windows."},
    {"Application Main Font", F, "", "The font of menus, dialogs and windows."},
    {"Application Monospace Font", FP, "", "The fixed-pitch font of transcripts and terminals."},
    {"Show Transcript On Build", B, "Yes", "Show the transcript window when a build starts."},
    {"Show Debug Terminal", B, "Yes", "Show the debug terminal when the target writes to it."},
    {"Clear Debug Terminal On Run", B, "Yes", "Clear the debug terminal when the target starts."},
    {"External Web Browser", FN, "", "A web browser to open links in instead of the built-in one."},
};

const Entry kEnvironmentInternal[] = {
    {"Bookmarks", SL, "", "The bookmarks set in documents."},
    {"Output Window View", S, "", "The page last shown in the output window."},
};

const Entry kGeneral[] = {
    {"Status Bar/Show Target", B, "Yes", "Show the target connection in the status bar."},
    {"Status Bar/Show Build Status", B, "Yes", "Show the build status in the status bar."},
    {"Status Bar/Show Insert Mode", B, "Yes", "Show the insert or overwrite mode in the status bar."},
    {"Status Bar/Show Caret Pos", B, "Yes", "Show the caret position in the status bar."},
    {"Status Bar/Show Read Only", B, "Yes", "Show the read-only state in the status bar."},
    {"Status Bar/Show Caps Lock", B, "No", "Show the Caps Lock state in the status bar."},
    {"Status Bar/Show Num Lock", B, "No", "Show the Num Lock state in the status bar."},
    {"Status Bar/Show Scroll Lock", B, "No", "Show the Scroll Lock state in the status bar."},
    {"Status Bar/Show Time", B, "No", "Show the time of day in the status bar."},
    {"Status Bar/Show Size Grip", B, "Yes", "Show the size grip at the end of the status bar."},
    {"Large Icons", B, "No", "Use large icons in the tool bars."},
    {"Solution Directory", D, "", "The directory in which new solutions are created."},
    {"Step Using Hardware Step", B, "No", "Single-step the target with its hardware step support."},
    {"Quick Open Directories", DL, "", "Directories searched by Quick Open."},
    {"Document Grouping", E, "None", "How open documents are grouped in the Window menu.",
     "None;File Type;Project"},
    {"Document Title Format", E, "File Name", "How document windows are titled.",
     "File Name;Full Path;Project Relative Path"},
};

const Entry kGeneralInternal[] = {
    {"Project Templates", SL, "", "The project templates last used."},
    {"Property View Details", B, "Yes", "Show the description pane of the properties window."},
    {"Properties Displayed", S, "", "The property pages last shown."},
    {"Skin", S, "", "The appearance of the windows."},
};

const Entry kMainWindow[] = {
    {"State", S, "", "The arrangement of docked windows."},
    {"Geometry", S, "", "The position and size of the main window."},
    {"Toolbar State", S, "", "The arrangement of the tool bars."},
};

const Entry kWindows[] = {
    {"Show Sizes", B, "Yes", "Show file sizes in the windows list."},
    {"Grouping", E, "None", "How the windows list is grouped.", "None;File Type;Project"},
    {"Show Filename Tooltips", B, "Yes", "Show the full file name as a tooltip."},
};

const Entry kPrinting[] = {
    {"Left Margin", I, "10", "The left margin of printed pages, in millimetres."},
    {"Right Margin", I, "10", "The right margin of printed pages, in millimetres."},
    {"Top Margin", I, "10", "The top margin of printed pages, in millimetres."},
    {"Bottom Margin", I, "10", "The bottom margin of printed pages, in millimetres."},
    {"Orientation", E, "Portrait", "The orientation of printed pages.", "Portrait;Landscape"},
    {"Page Size", E, "A4", "The paper size of printed pages.", "A4;A3;A5;Letter;Legal"},
};

const Entry kBrowser[] = {
    {"Underline Web Links", B, "Yes", "Underline links in the help and web browser."},
    {"Text Size", E, "Medium", "The size of text in the help and web browser.",
     "Smallest;Smaller;Medium;Larger;Largest"},
};

const Entry kClipboardRing[] = {
    {"Contents", SL, "", "The texts on the clipboard ring."},
    {"Max Entries", I, "20", "The number of texts the clipboard ring keeps."},
    {"Save", B, "Yes", "Keep the clipboard ring from one session to the next."},
};

const Entry kProjectExplorer[] = {
    {"Sync Editor", B, "No", "Select the file of the active editor in the project explorer."},
    {"Statistics Display", B, "No", "Show code and data sizes in the project explorer."},
    {"Statistics Format", E, "Combined", "How code and data sizes are shown.",
     "Combined;Separate"},
    {"Statistics Read-Only Data Handling", E, "Code", "Where read-only data is counted.",
     "Code;Data"},
    {"Dependencies Display", B, "Yes", "Show the header files each source file includes."},
    {"Properties Display", B, "No", "Mark the elements that set properties of their own."},
    {"Common Properties Display", B, "No", "Mark properties set in the Common configuration."},
    {"Show Output Files", B, "Yes", "Show the files each element builds."},
    {"Show Source Code Control Status", B, "Yes", "Show the source code control state of files."},
    {"Filename Replace Macros", SL, "", "Macros shown in place of the directories they name."},
};

const Entry kCallStack[] = {
    {"Show Parameter Names", B, "Yes", "Show parameter names in the call stack."},
    {"Show Parameter Values", B, "Yes", "Show parameter values in the call stack."},
    {"Show Parameter Types", B, "No", "Show parameter types in the call stack."},
    {"Show Call Location", B, "Yes", "Show the source location of each call."},
    {"Show Call Address", B, "No", "Show the code address of each call."},
};

const Entry kDebugger[] = {
    {"Default Variable Display Mode", E, "Natural", "The number base variables are shown in.",
     "Natural;Binary;Octal;Decimal;Hexadecimal;Character"},
    {"Maximum Array Elements Displayed", I, "100", "The number of array elements shown."},
    {"Maximum Backtrace Calls", I, "32", "The number of calls the call stack shows."},
    {"Array Elements Prompt Size", I, "1000", "Ask before showing arrays larger than this."},
    {"Floating Point Format Display", S, "%g", "The printf format for floating point values."},
    {"Display Char Ptr As String", B, "Yes", "Show character pointers as the strings they point to."},
    {"Source Path", DL, "", "Directories searched for source files that are not found."},
    {"Initial Breakpoint", S, "main", "Where the program stops first when debugging starts."},
    {"Set Initial Breakpoint", B, "Yes", "Stop at the initial breakpoint when debugging starts."},
    {"Clear Disassembly Breakpoint", B, "Yes", "Remove breakpoints set in disassembly on exit."},
    {"Disassembly Show Labels", B, "Yes", "Show symbol labels in the disassembly."},
    {"Close Disassembly On Mode Switch", B, "No", "Close the disassembly in source mode."},
    {"Disassembly Show Source", B, "Yes", "Show the source lines in the disassembly."},
    {"Restart Resets Target", B, "Yes", "Reset the target when the program is restarted."},
    {"Locals Display Registers", B, "No", "Show the registers of register variables."},
    {"Extended Tooltip Display Mode/", E, "Natural",
     "The number base of values in debug tooltips.",
     "Natural;Binary;Octal;Decimal;Hexadecimal;Character", "Extended Tooltip Display Mode"},
};

const Entry kSourceCodeControl[] = {
    {"Enabled", B, "No", "Put files under source code control."},
    {"Provider", S, "", "The source code control system to use."},
    {"InhibitAddDialog", B, "No", "Add files without asking.", nullptr, "Inhibit Add Dialog"},
    {"InhibitCheckoutDialog", B, "No", "Check files out without asking.", nullptr,
     "Inhibit Checkout Dialog"},
    {"InhibitCheckinDialog", B, "No", "Check files in without asking.", nullptr,
     "Inhibit Checkin Dialog"},
    {"InhibitCheckoutOnEditDialog", B, "No", "Check a file out without asking when it is edited.",
     nullptr, "Inhibit Checkout On Edit Dialog"},
    {"InhibitGetLatestDialog", B, "No", "Get the latest versions without asking.", nullptr,
     "Inhibit Get Latest Dialog"},
    {"InhibitUndoCheckoutDialog", B, "No", "Undo a checkout without asking.", nullptr,
     "Inhibit Undo Checkout Dialog"},
    {"DiffCommand", S, "", "The command that compares two versions of a file.", nullptr,
     "Diff Command"},
    {"MergeCommand", S, "", "The command that merges two versions of a file.", nullptr,
     "Merge Command"},
};

const Entry kInternet[] = {
    {"Enable Debugging", B, "No", "Log the traffic of internet requests."},
    {"RSS Update", B, "Yes", "Read the news feeds at start-up."},
    {"RSS Feed List", SL, "", "The news feeds to read."},
    {"Check Updates", B, "Yes", "Look for a newer release at start-up."},
    {"Check Packages", B, "Yes", "Look for newer packages at start-up."},
    {"HTTP Proxy Port", I, "0", "The port of the HTTP proxy server."},
    {"HTTP Proxy Server", S, "", "The HTTP proxy server to use; empty for none."},
    {"Download History", SL, "", "The files downloaded recently."},
    {"Max Download History Items", I, "20", "The number of downloads remembered."},
};

const Entry kPackage[] = {
    {"Source Directory", D, "", "A directory that packages are installed from."},
    {"Source URL", S, "", "The web location that packages are downloaded from."},
    {"Destination Directory", D, "$(StudioUserDir)/packages",
     "The directory that packages are installed in."},
};

const Entry kTextEditor[] = {
    {"Code Templates", SL, "", "The code templates offered while typing."},
    {"Color Scheme", S, "", "The colours of the syntax highlighting."},
    {"Backup File Depth", I, "0", "The number of backup copies kept of every saved file."},
    {"HScroll Bar", E, "As Needed", "When to show the horizontal scroll bar.",
     "Always;As Needed;Never", "Horizontal Scroll Bar"},
    {"VScroll Bar", E, "As Needed", "When to show the vertical scroll bar.",
     "Always;As Needed;Never", "Vertical Scroll Bar"},
    {"Mini Toolbar", B, "Yes", "Show the small tool bar at the top of editors."},
    {"Copy On Mouse Select", B, "No", "Copy selected text to the clipboard."},
    {"Paste On Mouse Middle Button", B, "No", "Paste with the middle mouse button."},
    {"Icon Gutter", B, "Yes", "Show the margin of breakpoint and bookmark icons."},
    {"Drag Drop Editing", B, "Yes", "Move selected text by dragging it."},
    {"Context Bar", B, "Yes", "Show the function that contains the caret."},
    {"Delete Trailing Space On Save", B, "No", "Remove blanks at the ends of lines when saving."},
    {"Cleanup Tabs On Save", B, "No", "Replace tabs by spaces when saving."},
    {"Column Mode Tab", B, "No", "Tab moves to the next column of a table."},
    {"Spell Checking", B, "No", "Check the spelling of comments and strings."},
    {"Enable Popup Diagnostics", B, "Yes", "Show diagnostics next to the lines they concern."},
    {"Bold Popup Diagnostics", B, "No", "Show popup diagnostics in bold."},
    {"Diagnostic Cycle Mode", B, "Yes", "Go back to the first diagnostic after the last."},
    {"Highlight Cursor Line", B, "No", "Highlight the line that holds the caret."},
    {"Font", FP, "", "The font of the text editor."},
    {"Confirm Modified File Reload", B, "Yes", "Ask before reloading a file changed elsewhere."},
    {"Numeric Keypad Enabled", B, "Yes", "Use the numeric keypad for editing commands."},
    {"Cut Action", E, "Cut Line", "What Cut does without a selection.", "Nothing;Cut Line"},
    {"Copy Action", E, "Copy Line", "What Copy does without a selection.", "Nothing;Copy Line"},
    {"Hide Cursor When Typing", B, "No", "Hide the mouse pointer while typing."},
    {"Ibeam cursor", B, "Yes", "Use the I-beam mouse pointer over text.", nullptr,
     "I-Beam Cursor"},
    {"Auto Expand Templates", B, "No", "Expand code templates as their names are typed."},
    {"Enable Virtual Space", B, "No", "Allow the caret beyond the end of a line."},
    {"Insert Caret Style", E, "Line", "The shape of the caret in insert mode.",
     "Line;Block;Underline"},
    {"Overwrite Caret Style", E, "Block", "The shape of the caret in overwrite mode.",
     "Line;Block;Underline"},
    {"Line Number Mode", E, "Off", "Which line numbers the margin shows.",
     "Off;Every Line;Every 5th Line;Every 10th Line"},
    {"Mate Matching Mode", E, "Always", "When to highlight the matching bracket.",
     "Never;Always;On Request"},
    {"Diagnostic Icons", B, "Yes", "Show icons at lines with diagnostics."},
    {"Edit Read Only", B, "No", "Allow editing files that are read-only."},
    {"Undo Mode", E, "Edits", "What one undo step reverts.", "Edits;Characters"},
    {"Margins/Enabled", B, "No", "Show the print margins in the editor."},
    {"Margins/Left", I, "0", "The left margin, in characters."},
    {"Margins/Right", I, "80", "The right margin, in characters."},
    {"Margins/Top", I, "0", "The top margin, in lines."},
    {"Margins/Bottom", I, "0", "The bottom margin, in lines."},
};

const Entry kTextEditorFind[] = {
    {"Find/History", SL, "", "The texts searched for recently."},
    {"Replace/History", SL, "", "The replacement texts used recently."},
    {"Find/Match Whole Word", B, "No", "Find whole words only."},
    {"Find/Match Case", B, "No", "Find text in the same case only."},
    {"Find/Use RegExp", B, "No", "Find with regular expressions."},
};

const Entry kFindInFiles[] = {
    {"Find History", SL, "", "The texts searched for recently."},
    {"Replace History", SL, "", "The replacement texts used recently."},
    {"File Type", SL, "*.c;*.cpp;*.h;*.s", "The file name patterns searched."},
    {"Folder History", SL, "", "The folders searched recently."},
    {"Match Whole Word", B, "No", "Find whole words only."},
    {"Match Case", B, "No", "Find text in the same case only."},
    {"Use RegExp", B, "No", "Find with regular expressions."},
    {"Context", E, "Solution", "Where to search.", "Open Documents;Project;Solution;Folder"},
};

template <size_t N>
constexpr Block block(const char *prefix, const char *page, const char *group,
                      const Entry (&entries)[N])
{
    return Block{prefix, page, group, entries, N};
}

const Block kBlocks[] = {
    block("Environment/Build/", "Building", "Build Options", kBuild),
    block("Environment/", "Environment", "General Options", kEnvironment),
    block("Environment/", "(Internal)", "General Options", kEnvironmentInternal),
    block("Environment/General/", "Environment", "User Interface", kGeneral),
    block("Environment/General/", "(Internal)", "User Interface", kGeneralInternal),
    block("Environment/Main Window/", "(Internal)", "Main Window", kMainWindow),
    block("Environment/Windows/", "Environment", "Windows", kWindows),
    block("Environment/Printing/", "Environment", "Printing", kPrinting),
    block("Environment/Browser/", "Environment", "Browser", kBrowser),
    block("Environment/Clipboard Ring/", "Environment", "Clipboard Ring", kClipboardRing),
    block("Environment/Project Explorer/", "Project Explorer", "Display Options",
          kProjectExplorer),
    block("Environment/Call Stack/", "Debugging", "Call Stack Options", kCallStack),
    block("Environment/Debugger/", "Debugging", "Debugger Options", kDebugger),
    block("Environment/Source Code Control/", "Source Code Control", "Source Code Control",
          kSourceCodeControl),
    block("Environment/Internet/", "Internet", "Internet Options", kInternet),
    block("Environment/Package/", "Package Manager", "Package Options", kPackage),
    block("Text Editor/", "Text Editor", "Editing Options", kTextEditor),
    block("Text Editor/", "(Internal)", "Find Options", kTextEditorFind),
    block("Find In Files/", "(Internal)", "Find In Files", kFindInFiles),
};

QString text(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

QString lastComponent(const char *name)
{
    const QString n = QString::fromUtf8(name);
    const QStringList parts = n.split(u'/', Qt::SkipEmptyParts);
    return parts.isEmpty() ? n : parts.last();
}

std::unique_ptr<PropertyClass> makeClass(const Block &b, const Entry &e)
{
    const QString key = QString::fromUtf8(b.prefix) + QString::fromUtf8(e.name);
    const QString shortText = e.shortDescription ? text(e.shortDescription)
                                                 : lastComponent(e.name);
    if (e.enumerates) {
        return std::make_unique<PropertyClass>(
            key, e.type, text(e.enumerates).split(u';'), text(b.page), text(b.group), shortText,
            text(e.longDescription), text(e.defaultValue));
    }
    return std::make_unique<PropertyClass>(key, e.type, text(b.page), text(b.group), shortText,
                                           text(e.longDescription), text(e.defaultValue));
}

} // namespace

EnvironmentSettings::EnvironmentSettings()
    : EnvironmentSettings(Path(rootUserDataDir() + kSettingsFileName),
                          Path(studioUserDataDir() + kSettingsFileName))
{
}

EnvironmentSettings::EnvironmentSettings(const Path &rootSettingsFile,
                                         const Path &studioSettingsFile)
{
    m_rootSettings.setPath(rootSettingsFile);
    m_studioSettings.setPath(studioSettingsFile);
}

EnvironmentSettings::~EnvironmentSettings()
{
    qDeleteAll(m_pages);
}

void EnvironmentSettings::createEntries()
{
    createBuildEntries();
    createEnvironmentEntries();
}

void EnvironmentSettings::createBuildEntries()
{
    toolChainRootDirectory = define(std::make_unique<PropertyClass>(
        QStringLiteral("Environment/Build/Tool Chain Root Directory"), PropertyClass::String,
        QStringLiteral("Building"), QStringLiteral("Build Options"),
        QStringLiteral("Toolchain Root Directory"),
        QStringLiteral("Specifies where to find the toolchain (compilers etc)."),
        QStringLiteral("$(StudioDir)")));
    globalMacros = define(std::make_unique<PropertyClass>(
        QStringLiteral("Environment/Macros/Global Macros"), PropertyClass::StringList, QString(),
        QString(), QString(), QString(), QString("")));
    globalMacrosValue = valueOf(globalMacros);
}

void EnvironmentSettings::createEnvironmentEntries()
{
    for (const Block &b : kBlocks) {
        for (size_t i = 0; i < b.count; ++i)
            define(makeClass(b, b.entries[i]));
    }
}

PropertyClass *EnvironmentSettings::define(std::unique_ptr<PropertyClass> pc)
{
    PropertyClass *raw = pc.get();
    m_classes.push_back(std::move(pc));
    m_values.push_back(std::make_unique<EnvironmentPropertyValue>(raw, this));
    return raw;
}

EnvironmentPropertyValue *EnvironmentSettings::valueOf(const PropertyClass *pc) const
{
    for (const auto &value : m_values) {
        if (value->propertyClass() == pc)
            return value.get();
    }
    return nullptr;
}

void EnvironmentSettings::registerProperty(const QString &page, PropertyValue *value)
{
    if (!value || !value->propertyClass())
        return;
    PropertyValueList *&list = m_pages[page];
    if (!list)
        list = new PropertyValueList(false);
    list->appendUnique(value);
    m_keys.insert(value->propertyClass()->saveName(), value);
}

PropertyValue *EnvironmentSettings::findProperty(const QString &key) const
{
    return m_keys.value(key, nullptr);
}

const PropertyValueList *EnvironmentSettings::page(const QString &name) const
{
    return m_pages.value(name, nullptr);
}

QString EnvironmentSettings::readSetting(const PropertyClass *pc) const
{
    if (!pc)
        return QString();
    bool found = false;
    const QString value = m_studioSettings.readEntry(pc->saveName(), QString(), &found);
    return found ? value : pc->defaultValue();
}

bool EnvironmentSettings::writeSetting(const PropertyClass *pc, const QString &value)
{
    if (!pc)
        return false;
    bool found = false;
    const QString before = m_studioSettings.readEntry(pc->saveName(), QString(), &found);
    m_studioSettings.writeEntry(pc->saveName(), value);
    return !found || before != value;
}

void EnvironmentSettings::removeSetting(const PropertyClass *pc)
{
    if (pc)
        m_studioSettings.removeEntry(pc->saveName());
}

void EnvironmentSettings::saveSettings()
{
    m_rootSettings.sync();
    m_studioSettings.sync();
}

QString EnvironmentSettings::toolChainRootDirectoryValue() const
{
    return readSetting(toolChainRootDirectory);
}

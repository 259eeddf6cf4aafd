#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"

#include "base/error_report.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <utility>

namespace {

void ExpectDefaults() {
    for (const HotkeyEntry& h : HotkeyTable())
        EXPECT_EQ(Settings.*h.Field, h.DefaultText) << h.Key;
    EXPECT_EQ(Settings.MoveP, 5);
    EXPECT_EQ(Settings.SizeP, 5);
    EXPECT_EQ(Settings.MouseMovePos, 2);
    EXPECT_EQ(Settings.MouseOffset, 0);
    EXPECT_FALSE(Settings.StartMouseMove);
    EXPECT_FALSE(Settings.NoTrayIcon);
}

} // namespace

TEST(IniTables, HotkeyRowsByNumberAndFileKeysInOrder) {
    for (int n = HotkeyCommandFirst; n <= HotkeyCommandLast; ++n) {
        ASSERT_NE(FindHotkey(n), nullptr);
        EXPECT_EQ(FindHotkey(n)->Number, n);
        EXPECT_EQ(FindHotkey(n), &HotkeyTable()[static_cast<size_t>(n - 1)]);
    }
    EXPECT_EQ(FindHotkey(0), nullptr);
    EXPECT_EQ(FindHotkey(HotkeyCommandLast + 1), nullptr);
    EXPECT_EQ(FindHotkey(-1), nullptr);
    // Holding a key repeats the moving and resizing commands only.
    for (const HotkeyEntry& h : HotkeyTable()) {
        const auto k = h.Action.kind;
        EXPECT_EQ(HotkeyRepeats(h.Number), k == HotkeyAction::Move ||
                                               k == HotkeyAction::SizeBottomRight ||
                                               k == HotkeyAction::SizeTopLeft)
            << h.Key;
    }
    EXPECT_FALSE(HotkeyRepeats(0));
    EXPECT_STREQ(FindHotkey(hkClose)->Key, "CloseKey");
    EXPECT_STREQ(FindHotkey(hkPopupMenu)->Key, "PopupMenuKey");
    EXPECT_EQ(FindHotkey(hkScreenSaver)->Field, &AppSettings::ScreenSaver);
}

namespace {
// The rows of the README's command table: its cells, trimmed.
std::vector<std::vector<std::string>> ReadmeCommandRows() {
    std::string text;
    if (FILE* f = _wfopen(testutil::SourcePath("README.md").c_str(), L"rb")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
            text.append(buf, n);
        fclose(f);
    }
    std::vector<std::vector<std::string>> rows;
    size_t at = text.find("## What it does");
    if (at == std::string::npos)
        return rows;
    at = text.find("|---", at); // the header's rule; the rows follow
    for (at = text.find('\n', at) + 1; at < text.size() && text[at] == '|';) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        std::vector<std::string> cells;
        for (size_t c = 1, bar; (bar = line.find('|', c)) != std::string::npos; c = bar + 1) {
            std::string cell = line.substr(c, bar - c);
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
        rows.push_back(cells);
        at = end + 1;
    }
    return rows;
}
} // namespace

// The README's table of the commands says what the hotkey table holds: every
// number once and in order, with its INI key and its default key (a row of
// four directions gives the keys' common part and "arrow").
TEST(IniTables, TheReadmeCommandTableFollowsTheHotkeyTable) {
    const auto rows = ReadmeCommandRows();
    ASSERT_FALSE(rows.empty());
    int next = HotkeyCommandFirst;
    for (const auto& cells : rows) {
        ASSERT_EQ(cells.size(), 4u) << cells[0];
        const std::string& range = cells[0]; // "7" or "3–6"
        const size_t dash = range.find("\u2013");
        const int first = std::stoi(range);
        const int last = dash == std::string::npos ? first : std::stoi(range.substr(dash + 3));
        EXPECT_EQ(first, next) << range;
        std::vector<std::string> keys;
        for (size_t q = cells[3].find('`'); q != std::string::npos;) {
            const size_t close = cells[3].find('`', q + 1);
            keys.push_back(cells[3].substr(q + 1, close - q - 1));
            q = cells[3].find('`', close + 1);
        }
        ASSERT_EQ(keys.size(), static_cast<size_t>(last - first + 1)) << range;
        const std::string& def = cells[2];
        const bool arrows = def.size() > 5 && def.ends_with("arrow");
        for (int n = first; n <= last; ++n) {
            const HotkeyEntry* e = FindHotkey(n);
            ASSERT_NE(e, nullptr) << range;
            EXPECT_EQ(keys[static_cast<size_t>(n - first)], e->Key) << range;
            const std::string want = *e->DefaultText ? e->DefaultText : "none";
            if (!arrows) {
                EXPECT_EQ(def, want) << e->Key;
                continue;
            }
            const std::string common = def.substr(0, def.size() - 5);
            const std::string direction = want.substr(std::min(common.size(), want.size()));
            EXPECT_TRUE(want.starts_with(common) && (direction == "Up" || direction == "Down" ||
                                                     direction == "Left" || direction == "Right"))
                << e->Key << " " << want;
        }
        next = last + 1;
    }
    EXPECT_EQ(next, HotkeyCommandLast + 1) << "the README lists fewer commands than the table";
}

TEST(IniPath, ExtensionReplacedByUpperCaseIni) {
    EXPECT_EQ(IniPathForExe(L"C:\\Tools\\Tool.exe"), L"C:\\Tools\\Tool.INI");
    EXPECT_EQ(IniPathForExe(L"C:\\a.b\\Tool"), L"C:\\a.b\\Tool.INI");
    EXPECT_EQ(IniPathForExe(L"C:\\ツール\\表.x.exe"), L"C:\\ツール\\表.x.INI");
    std::wstring own = IniFilePath();
    ASSERT_GE(own.size(), 18u);
    EXPECT_EQ(own.substr(own.size() - 18), L"\\settings_test.INI");
}

TEST(IniInteger, FormsAndRejects) {
    // Hexadecimal gives 32 bits: all ones is -1, the top bit alone the
    // lowest value; leading zeros do not count as digits.
    // clang-format off
    const std::pair<const char*, int> good[] = {
        {"10", 10}, {"0x0A", 10}, {"0XA", 10}, {"$a", 10}, {"$A", 10}, {"  \t10", 10},
        {"+10", 10}, {"-3", -3}, {"007", 7}, {"0", 0}, {"-0", 0}, {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1}, {"0xffffffff", -1},
        {"$80000000", INT32_MIN}, {"$7FFFFFFF", INT32_MAX}, {"$0000000001", 1}};
    for (auto [text, value] : good)
        EXPECT_EQ(ParseIniInteger(text), value) << '"' << text << '"';
    const char* const bad[] = {
        "", "   ", "abc", "12px", "1 0", "10 ", "$", "0x", "0X", "$G", "0x1G", "$100000000",
        "0x100000000", "2147483648", "-2147483649", "99999999999999999999", "+", "-", "--1",
        "+-1", "-$10", "$-10", "0x-1", "1e3", "1.5", "true", "\"5\"", "x10"};
    // clang-format on
    for (const char* text : bad)
        EXPECT_EQ(ParseIniInteger(text), std::nullopt) << '"' << text << '"';
}

// A number out of its range, at any size, ends at the nearer end of it.
TEST(IniInteger, NumbersOutOfTheirRangeEndAtTheNearerEnd) {
    EXPECT_EQ(ClampToRange(INT64_MIN, INT32_MIN, INT32_MAX), INT32_MIN);
    const SettingEntry& moveP = *FindIntegerSetting(&AppSettings::MoveP);
    const SettingEntry& offset = *FindIntegerSetting(&AppSettings::MouseOffset);
    const SettingEntry& corner = *FindIntegerSetting(&AppSettings::MouseMovePos); // no range
    const struct {
        const SettingEntry& row;
        const char* text;
        std::int32_t value;
    } cases[] = {{offset, "100000", 100},
                 {moveP, "-20", 1},
                 {moveP, "2147483647", 50},
                 {offset, "-2147483648", 0},
                 {moveP, "99999999999999999999", 50},
                 {offset, "-99999999999999999999", 0},
                 {moveP, "$FFFFFFFF", 1},
                 {moveP, "0x20", 32},
                 {moveP, "7", 7},
                 {moveP, "abc", 5},
                 {offset, "", 0},
                 {corner, "-2", -2}};
    for (const auto& c : cases)
        EXPECT_EQ(IntegerSettingOf(c.row, c.text), c.value) << c.row.Key << "=" << c.text;
}

TEST(IniValueCut, NeverSplitsACharacter) {
    std::wstring ascii(2000, L'A');
    EXPECT_EQ(CodePagePrefix(ascii, 1023, 1252), std::string(1023, 'A'));
    EXPECT_EQ(CodePagePrefix(L"abc", 1023, 1252), "abc");
    // Shift-JIS: two bytes a character, so 1023 bytes hold 511 of them.
    std::wstring kana(600, L'\u3042');
    std::string cut = CodePagePrefix(kana, 1023, 932);
    EXPECT_EQ(cut.size(), 1022u);
    EXPECT_EQ(Utf8ToWide(WideToUtf8(kana.substr(0, 511))), kana.substr(0, 511));
    EXPECT_EQ(cut.substr(0, 2), "\x82\xa0");
    // One byte, then double-byte characters: the cut falls after 1 + 2k.
    std::wstring mixed = L"a" + kana;
    EXPECT_EQ(CodePagePrefix(mixed, 1023, 932).size(), 1023u);
    // A surrogate pair stays whole (UTF-8: four bytes for it).
    EXPECT_EQ(CodePagePrefix(L"a\U0001F600", 4, CP_UTF8), "a");
    EXPECT_EQ(CodePagePrefix(L"a\U0001F600", 5, CP_UTF8).size(), 5u);
}

TEST(IniFile, FirstRunReadsDefaultsAndWritesTheDefaultListing) {
    testutil::TempDir dir;
    std::wstring path = dir.File(L"First.INI");
    Settings = AppSettings{};
    LoadSettings(path);
    ExpectDefaults();
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES); // reading made no file
    SaveSettings(path);
    EXPECT_EQ(testutil::ReadFileBytes(path), testutil::kDefaultIniText);
    // Saving again changes nothing.
    LoadSettings(path);
    ExpectDefaults();
    SaveSettings(path);
    EXPECT_EQ(testutil::ReadFileBytes(path), testutil::kDefaultIniText);
}

// A key written only while set: absent from a file of defaults, appended
// once it holds a combination, read back like any other key, and removed
// again when cleared, so that the file is once more the default listing.
TEST(IniFile, KeysWrittenOnlyWhileSetRoundTrip) {
    testutil::TempDir dir;
    std::wstring path = dir.File(L"Optional.INI");
    Settings = AppSettings{};
    LoadSettings(path);
    EXPECT_EQ(Settings.TopMostKey, "");
    // Saved, the file is the default listing followed by `tail`; read back,
    // the keys are as saved.
    auto roundTrip = [&](const std::string& tail) {
        const AppSettings saved = Settings;
        SaveSettings(path);
        EXPECT_EQ(testutil::ReadFileBytes(path), testutil::kDefaultIniText + tail);
        Settings = AppSettings{};
        LoadSettings(path);
        EXPECT_EQ(Settings.TopMostKey, saved.TopMostKey);
        EXPECT_EQ(Settings.CenterKey, saved.CenterKey);
    };
    Settings.TopMostKey = "Ctrl+Alt+T";
    roundTrip("TopMostKey=Ctrl+Alt+T\r\n");
    Settings.CenterKey = "^Alt+C";
    roundTrip("TopMostKey=Ctrl+Alt+T\r\nCenterKey=^Alt+C\r\n");
    Settings.TopMostKey.clear();
    roundTrip("CenterKey=^Alt+C\r\n");
    Settings.CenterKey.clear();
    roundTrip("");
}

TEST(IniFile, FolderOutsideTheAnsiCodePage) {
    testutil::TempDir dir;
    std::wstring folder = dir.Path() + L"\\設定 \u0436\u00e9\u4e2d";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring path = folder + L"\\Quorel.INI";
    Settings = AppSettings{};
    LoadSettings(path);
    Settings.MoveP = 7;
    // A value outside ASCII is stored as the bytes of the system code page.
    const std::string ansi = WideToAnsi(L"Ctrl+\u00e9\u00fc");
    Settings.PopupMenuKey = ansi;
    SaveSettings(path);
    std::string expected = testutil::kDefaultIniText;
    expected.replace(expected.find("MoveP=5"), 7, "MoveP=7");
    expected.replace(expected.find("PopupMenuKey="), 13, "PopupMenuKey=" + ansi);
    EXPECT_EQ(testutil::ReadFileBytes(path), expected);
    Settings = AppSettings{};
    LoadSettings(path);
    EXPECT_EQ(Settings.MoveP, 7);
    EXPECT_EQ(Settings.MaxRestoreKey, "Alt+F12");
    EXPECT_EQ(Settings.PopupMenuKey, ansi);
}

TEST(IniFile, MalformedValuesTakeTheirDefaults) {
    testutil::TempDir dir;
    std::wstring path = dir.File(L"Bad.INI");
    testutil::WriteFileBytes(path, "; hand-edited\r\n"
                                   "[Other]\r\n"
                                   "MoveP=77\r\n"
                                   "Keep=this\r\n"
                                   "\r\n"
                                   "[option]\r\n"
                                   "maxrestorekey=\r\n"
                                   "CloseKey=\"Ctrl+Alt+X\"\r\n"
                                   "AllMinKey='Alt+Z'\r\n"
                                   "ScreenSaver=   Shift+F9   \r\n"
                                   "MoveUpKey=\"\"\r\n"
                                   "MoveP=0x0A\r\n"
                                   "SizeP=abc\r\n"
                                   "MouseMovePos=12px\r\n"
                                   "MouseOffset=-3\r\n"
                                   "StartMouseMove=2\r\n"
                                   "NoTrayIcon=true\r\n"
                                   "PopupMenuKey=Ctrl+Foo\r\n"
                                   "Extra=kept\r\n");
    LoadSettings(path);
    EXPECT_EQ(Settings.MaxRestoreKey, ""); // present but empty: not the default
    EXPECT_EQ(Settings.MinKey, "Alt+F11"); // missing: the default
    EXPECT_EQ(Settings.CloseKey, "Ctrl+Alt+X");
    EXPECT_EQ(Settings.AllMinKey, "Alt+Z");
    EXPECT_EQ(Settings.ScreenSaver, "Shift+F9");
    EXPECT_EQ(Settings.MoveUpKey, "");
    EXPECT_EQ(Settings.PopupMenuKey, "Ctrl+Foo"); // not parsed here
    EXPECT_EQ(Settings.MoveP, 10);
    EXPECT_EQ(Settings.SizeP, 5);
    EXPECT_EQ(Settings.MouseMovePos, 2);
    EXPECT_EQ(Settings.MouseOffset, 0); // -3, at the nearer end of 0..100
    EXPECT_TRUE(Settings.StartMouseMove);
    EXPECT_FALSE(Settings.NoTrayIcon);

    SaveSettings(path);
    std::string text = testutil::ReadFileBytes(path);
    for (const char* line :
         {"[Other]\r\nMoveP=77\r\nKeep=this\r\n", "maxrestorekey=\r\n", "CloseKey=Ctrl+Alt+X\r\n",
          "MoveP=10\r\n", "SizeP=5\r\n", "MouseOffset=0\r\n", "StartMouseMove=1\r\n",
          "NoTrayIcon=0\r\n", "Extra=kept\r\n", "MinKey=Alt+F11\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

TEST(IniFile, MissingSectionEmptyFileAndOverlongValues) {
    testutil::TempDir dir;
    for (const char* text : {"[Elsewhere]\r\nMaxRestoreKey=Ctrl+Q\r\nMoveP=9\r\n", ""}) {
        std::wstring path = dir.File(*text ? L"Other.INI" : L"Empty.INI");
        testutil::WriteFileBytes(path, text);
        Settings = AppSettings{};
        LoadSettings(path);
        ExpectDefaults();
    }

    std::wstring garbage = dir.File(L"Garbage.INI");
    testutil::WriteFileBytes(garbage,
                             std::string("\x00\xff\xfe[Option\r\n==\r\n=x\r\n\x01\x02", 16));
    Settings = AppSettings{};
    LoadSettings(garbage);
    EXPECT_EQ(Settings.MoveP, 5);

    std::wstring longer = dir.File(L"Long.INI");
    testutil::WriteFileBytes(longer, "[Option]\r\nCloseKey=" + std::string(5000, 'K') +
                                         "\r\nMoveP=" + std::string(3000, '1') +
                                         "\r\nSizeP=\r\nNoTrayIcon=\r\n");
    Settings.SizeP = 99;
    Settings.NoTrayIcon = true;
    LoadSettings(longer);
    EXPECT_EQ(Settings.CloseKey, std::string(IniValueMaxBytes, 'K'));
    EXPECT_EQ(Settings.MoveP, 50);     // a number of any size: the top of 1..50
    EXPECT_EQ(Settings.SizeP, 5);      // present but empty: the default
    EXPECT_FALSE(Settings.NoTrayIcon); // likewise
}

TEST(IniFile, UnwritablePathReportsTheFullPathAndKeepsTheFile) {
    testutil::TempDir dir;
    // A folder where the file should be.
    std::wstring blocked = dir.File(L"Blocked.INI");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    LoadSettings(blocked);
    ExpectDefaults();
    Settings.Language = "ja"; // the messages below are Japanese
    auto failure = [](const std::wstring& path) {
        std::wstring message = L"no error";
        try {
            SaveSettings(path);
        } catch (const EQuorelError& e) {
            message = e.Message();
        }
        return message;
    };
    EXPECT_EQ(failure(blocked), blocked + L" に書き込めません");
    Settings.Language = "en";
    EXPECT_EQ(failure(blocked), L"Cannot write to " + blocked);

    // A file that another program holds open without sharing keeps its
    // content. (A read-only attribute does not stop a test run as root.)
    std::wstring locked = dir.File(L"Locked.INI");
    const std::string old = "[Option]\r\nMoveP=3\r\n";
    testutil::WriteFileBytes(locked, old);
    LoadSettings(locked);
    EXPECT_EQ(Settings.MoveP, 3);
    Settings.Language = "ja";
    Settings.MoveP = 4;
    HANDLE holder =
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::wstring message = failure(locked);
    CloseHandle(holder);
    EXPECT_EQ(message, locked + L" に書き込めません");
    EXPECT_EQ(testutil::ReadFileBytes(locked), old);

    // A folder that does not exist.
    std::wstring nowhere = dir.File(L"missing\\Quorel.INI");
    EXPECT_THROW(SaveSettings(nowhere), EQuorelError);
    EXPECT_EQ(GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

// "Language=ja|en" is written last and only while set; anything else reads as automatic.
TEST(IniFile, TheLanguageIsWrittenOnlyWhileSetAndChangesNothingElse) {
    testutil::TempDir dir;
    std::wstring path = dir.File(L"Language.INI");
    const std::pair<const char*, const char*> cases[] = {
        {"ja", "Language=ja\r\n"}, {"en", "Language=en\r\n"}, {"", ""}};
    for (auto [language, tail] : cases) {
        LoadSettings(dir.File(L"none.ini"));
        Settings.Language = language;
        SaveSettings(path);
        EXPECT_EQ(testutil::ReadFileBytes(path), testutil::kDefaultIniText + std::string(tail));
        Settings = AppSettings{};
        LoadSettings(path);
        ExpectDefaults();
        EXPECT_EQ(Settings.Language, language);
    }
    for (const char* stored : {"fr", "JA"}) {
        testutil::WriteFileBytes(path,
                                 testutil::IniWith(std::string("Language=") + stored + "\r\n"));
        LoadSettings(path);
        EXPECT_EQ(Settings.Language, "") << stored;
        SaveSettings(path);
        EXPECT_EQ(testutil::ReadFileBytes(path), testutil::kDefaultIniText) << stored;
    }
}

// Beside the exe when its folder can be written; otherwise the per-user
// file, which the first start (while it is missing) seeds from the file
// beside the exe; beside the exe when the system names no per-user folder.
TEST(SettingsLocation, BesideTheExeWhenItsFolderCanBeWrittenElseThePerUserFile) {
    const std::wstring beside = L"C:\\Program Files\\Quorel\\Quorel.INI";
    const std::wstring perUser = L"C:\\Users\\u\\AppData\\Roaming\\Quorel\\Quorel.INI";
    struct Case {
        bool besideWritable;
        std::wstring perUser;
        bool perUserExists;
        std::wstring read, write;
        bool makeFolder;
    };
    const Case cases[] = {{true, perUser, true, beside, beside, false},
                          {true, perUser, false, beside, beside, false},
                          {false, perUser, true, perUser, perUser, true},
                          {false, perUser, false, beside, perUser, true},
                          {false, L"", false, beside, beside, false}};
    for (const Case& c : cases) {
        SettingsFiles f = ChooseSettingsFiles(beside, c.besideWritable, c.perUser, c.perUserExists);
        EXPECT_EQ(f.Read, c.read);
        EXPECT_EQ(f.Write, c.write);
        EXPECT_EQ(f.MakeFolder, c.makeFolder);
    }
    // The per-user file keeps the name of the file beside the exe.
    std::wstring own = PerUserSettingsPath(L"D:\\Tools\\Tool.INI");
    ASSERT_GE(own.size(), 16u);
    EXPECT_EQ(own.substr(own.size() - 16), L"\\Quorel\\Tool.INI");
}

// An elevated start picks the file a normal start of the same folder picks.
TEST(SettingsLocation, AnElevatedStartChoosesTheFileANormalStartOfTheSameFolderChooses) {
    struct Place {
        const char* name;
        Writability user, administrator;
        bool beside;
    };
    const Place places[] = {
        {"portable folder", {true, true}, {true, true}, true},
        {"under Program Files", {false, false}, {true, true}, false},
        {"Program Files, file granted to the user", {false, true}, {true, true}, false},
        {"read-only Quorel.INI in a writable folder", {true, false}, {true, false}, false},
        {"read-only share", {false, false}, {false, false}, false},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const bool normal = SettingsBesideExe(p.user, std::nullopt);
        EXPECT_EQ(normal, p.beside);
        EXPECT_EQ(SettingsBesideExe(p.administrator, p.user), normal); // through the prompt
    }
    // Under Wine this process has a normal token beside, which may write a temp folder.
    testutil::TempDir dir;
    const auto asUser = WritabilityForNormalStart(dir.Path(), dir.File(L"Quorel.INI"));
    if (asUser) {
        EXPECT_TRUE(asUser->folder);
        EXPECT_TRUE(asUser->file);
    }
}

// The probe of the exe folder leaves nothing behind, and a copy there keeps
// its settings beside it; a folder that is not there cannot be written. The
// per-user folder is made when the file is first written, and only then.
TEST(SettingsLocation, TheProbeLeavesNothingAndThePerUserFolderIsMadeOnTheFirstWrite) {
    testutil::TempDir dir;
    EXPECT_TRUE(CanCreateFileIn(dir.Path()));
    EXPECT_TRUE(RemoveDirectoryW(dir.Path().c_str())); // only when empty
    ASSERT_TRUE(CreateDirectoryW(dir.Path().c_str(), nullptr));
    EXPECT_FALSE(CanCreateFileIn(dir.File(L"missing")));
    SettingsFiles files = FindSettingsFiles(dir.File(L"Quorel.exe"));
    EXPECT_EQ(files.Read, dir.File(L"Quorel.INI"));
    EXPECT_EQ(files.Write, dir.File(L"Quorel.INI"));
    EXPECT_FALSE(files.MakeFolder);
    // A read-only file beside the exe sends the settings elsewhere; one held open does not.
    const std::wstring ini = dir.File(L"Quorel.INI");
    EXPECT_TRUE(CanWriteFile(ini)); // none yet
    testutil::WriteFileBytes(ini, "[Option]\r\n");
    EXPECT_TRUE(CanWriteFile(ini));
    HANDLE holder = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(CanWriteFile(ini));
    CloseHandle(holder);
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CanWriteFile(ini));
    files = FindSettingsFiles(dir.File(L"Quorel.exe"));
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(files.Read,
              GetFileAttributesW(PerUserSettingsPath(ini).c_str()) == INVALID_FILE_ATTRIBUTES
                  ? ini
                  : PerUserSettingsPath(ini));
    EXPECT_EQ(files.Write, PerUserSettingsPath(ini));
    EXPECT_TRUE(files.MakeFolder);
    DeleteFileW(ini.c_str());

    LoadSettings(dir.File(L"none.INI"));
    Settings.MoveP = 8;
    files = {dir.File(L"none.INI"), dir.File(L"Quorel\\Quorel.INI"), true};
    SaveSettings(files);
    LoadSettings(files.Write);
    EXPECT_EQ(Settings.MoveP, 8);
    SaveSettings(files); // the folder is there now
    files.Write = dir.File(L"other\\Quorel.INI");
    files.MakeFolder = false;
    EXPECT_THROW(SaveSettings(files), EQuorelError);
    LoadSettings(dir.File(L"none.INI"));
}

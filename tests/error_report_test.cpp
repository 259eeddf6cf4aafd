#include "base/error_report.h"

#include "support/testutil.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ErrorReport, TitleIsFileNameUpToFirstDotWithTheRestInLowerCase) {
    EXPECT_EQ(ApplicationTitleFromPath(L"C:\\Tools\\QUOREL.EXE"), L"Quorel");
    EXPECT_EQ(ApplicationTitleFromPath(L"C:\\a.b\\my.tool.exe"), L"my");
    EXPECT_EQ(ApplicationTitleFromPath(L"x.exe"), L"x");
    EXPECT_EQ(ApplicationTitleFromPath(L"C:\\NoExt"), L"Noext");
}

// An English sentence ends with ".", a Japanese one with "。", never with an
// ASCII period.
TEST(ErrorReport, ASentenceEndsWithTheFullStopOfItsLanguage) {
    EXPECT_EQ(ErrorReportText(L"abc"), L"abc.");
    EXPECT_EQ(ErrorReportText(L"abc."), L"abc.");
    EXPECT_EQ(ErrorReportText(L"abc!"), L"abc!");
    EXPECT_EQ(ErrorReportText(L""), L"");
    EXPECT_EQ(ErrorReportText(L"C:\\Q\\Quorel.INI に書き込めません"),
              L"C:\\Q\\Quorel.INI に書き込めません。");
    EXPECT_EQ(ErrorReportText(L"タスクトレイに登録できません"), L"タスクトレイに登録できません。");
    for (const wchar_t* done : {L"できません。", L"できません！", L"できますか？"})
        EXPECT_EQ(ErrorReportText(done), done);
    EXPECT_EQ(ErrorReportText(L"キー「Ｑ」"), L"キー「Ｑ」。");
    EXPECT_EQ(ErrorReportText(L"Cannot write C:\\データ\\Quorel.INI"),
              L"Cannot write C:\\データ\\Quorel.INI.");
}

TEST(ErrorReport, ChangeFileExtReplacesOnlyTheLastExtensionOfTheName) {
    EXPECT_EQ(ChangeFileExt(L"C:\\Tools\\Tool.exe", L".INI"), L"C:\\Tools\\Tool.INI");
    EXPECT_EQ(ChangeFileExt(L"C:\\a.dir\\Tool", L".INI"), L"C:\\a.dir\\Tool.INI");
    EXPECT_EQ(ChangeFileExt(L"C:\\Tools\\x.y.exe", L".hlp"), L"C:\\Tools\\x.y.hlp");
    EXPECT_EQ(ChangeFileExt(L"Tool", L".INI"), L"Tool.INI");
}

TEST(ErrorReport, ExceptionMessagesKeepTheirUnicodeText) {
    EInvalidOperation e(L"アイコンが指定されていません");
    EXPECT_EQ(ExceptionMessage(e), L"アイコンが指定されていません");
    std::runtime_error r("plain");
    EXPECT_EQ(ExceptionMessage(r), L"plain");
    // Another's what() in UTF-8, or else in the system's code page.
    EXPECT_EQ(ExceptionMessage(std::runtime_error("caf\xc3\xa9")), L"caf\u00e9");
    EXPECT_EQ(ExceptionMessage(std::runtime_error("caf\xe9")), AnsiToWide("caf\xe9"));
}

TEST(ErrorReport, ShowExceptionShowsTheMessageUnderTheApplicationTitle) {
    testutil::MessageBoxCloser closer;
    ShowException(EInvalidOperation(L"タスクトレイに登録できません"));
    ASSERT_EQ(closer.Count(), 1u);
    auto box = closer.Seen().front();
    EXPECT_EQ(box.text, L"タスクトレイに登録できません。");
    EXPECT_EQ(box.caption, L"error_report_test");
}

#include "ui/help_topics.h"

#include "base/decimal_text.h"
#include "base/error_report.h"
#include "hotkey/shortcut.h"

#include <windows.h>

#include <iterator>
#include <string_view>
#include <vector>

namespace {

const wchar_t* const kTitles[kHelpTopicCount] = {
    L"はじめに", L"全般",   L"移動",         L"サイズ変更1",  L"サイズ変更2",
    L"マウス",   L"その他", L"設定ファイル", L"困ったときは",
};

// Text shared by the pages with four arrow keys.
const wchar_t kNoResize[] = L"最大化されているウィンドウと、最大化ボタンのないウィンドウ（多くの"
                            L"ダイアログなど）には何もしません。枠をドラッグして大きさを変えられる"
                            L"ウィンドウでも同じです。\n";
const wchar_t kButtons[] = L"\n【ページのボタン】\n「デフォルト」はこのページのキーを最初の設定（";
const wchar_t kButtonsEnd[] = L"）に戻し、「クリア」は消します。どちらも「OK」で画面を閉じたときに"
                              L"有効になります。\n";

// The meanings of the INI keys that are not hotkeys (a hotkey's meaning is
// its name in the hotkey table).
struct ValueMeaning {
    std::string_view key;
    const wchar_t* meaning;
};
constexpr ValueMeaning kValueMeanings[] = {
    {"MoveP", L"移動の間隔（ピクセル）"},
    {"SizeP", L"サイズ変更の間隔（ピクセル）"},
    {"MouseMovePos", L"隅：0 左上、1 右上、2 左下、3 右下"},
    {"MouseOffset", L"隅からの距離（ピクセル）"},
    {"StartMouseMove", L"起動時に隅へ移動：1 する、0 しない"},
    {"NoTrayIcon", L"アイコンを表示しない：1 表示しない、0 表示する"},
};

constexpr const wchar_t* ValueMeaningOf(std::string_view key) {
    for (const ValueMeaning& m : kValueMeanings)
        if (m.key == key)
            return m.meaning;
    return nullptr;
}

constexpr bool EveryValueHasItsMeaning() {
    for (const SettingEntry& e : kSettingTable)
        if (e.Kind != SettingKind::Text && !ValueMeaningOf(e.Key))
            return false;
    return true;
}
static_assert(EveryValueHasItsMeaning(), "each INI value needs its meaning in kValueMeanings");

// The page a topic is about, if any.
const PageHelp* PageHelpOfTopic(HelpTopic topic) {
    for (const PageHelp& p : kPageHelp)
        if (p.Topic == topic)
            return &p;
    return nullptr;
}

// The topics. A line ends with "\n"; a tab separates a name from its value.
// "@" and one character stand for what the program inserts when it builds
// the text:
//   @p        the commands of the topic's options page with their keys now
//   @d        what each command of the topic's page does
//   @a        all commands with their keys now
//   @m @s @o  MoveP, SizeP, MouseOffset in pixels
//   @c        the cursor corner; @M the start-up switch; @T the tray switch
//   @i        the settings file's path; @k the keys of the file
//   @f        the hotkeys whose registration failed
//   @n        when a resize key does nothing; @b the page's two buttons
const wchar_t* const kTexts[kHelpTopicCount] = {
    // はじめに
    L"Quorel は、ホットキーで手前の（アクティブな）ウィンドウを最大化、最小化したり、動かしたり、"
    L"大きさを変えたりする常駐プログラムです。ホットキーは、どのプログラムを使っているときでも"
    L"働きます。\n"
    L"\n【いまのホットキー】\n"
    L"@a"
    L"\nキーはオプションの画面で変えます。オプションの画面が開いているあいだは、キーを設定できる"
    L"ように、ホットキーはすべて止まります。\n"
    L"\n【キーの確認】\n"
    L"「OK」を押すと、閉じる前にキーを確かめます。\n"
    L"・Ctrl も Alt も付かない文字のキー（A、7、Space、記号、テンキーの数字など）は、どこにも"
    L"入力できなくなるので、確認します。F1～F24、Pause、矢印などは確認しません。\n"
    L"・二つのコマンドに同じキーや、ほかのプログラムが使っているキーは、一覧で知らせます。\n"
    L"\n【タスクトレイのアイコン】\n"
    L"右クリックでメニューが、左ボタンのダブルクリックでオプションの画面が開きます。オプションや"
    L"バージョン情報の画面が開いているときは、その画面が手前に出るだけです。\n"
    L"アイコン\t@T\n"
    L"\n【メニュー】\n"
    L"オプション、すべて元のサイズに戻す、すべて最小化、スクリーンセーバー（[全般] の同じ名前の"
    L"コマンドと同じ）、ヘルプ、バージョン情報、Quorel の終了（設定を保存して終了します）。\n"
    L"\n【一度に一つだけ】\n"
    L"動いているときにもう一度起動すると、あとから起動したほうはすぐに終了します。アイコンを"
    L"表示しない設定のときは、そのとき動いている Quorel がマウスカーソルの位置にメニューを開き"
    L"ます（オプションなどの画面が開いているときを除きます）。\n"
    L"\nこのヘルプの文字は選択してコピーできます（Ctrl+A ですべて選択、Ctrl+C でコピー）。\n",

    // 全般
    L"「手前のウィンドウ」とは、キーを押したときにアクティブな（キーボードの入力を受けている）"
    L"ウィンドウです。\n"
    L"\n【いまのキー】\n"
    L"@p"
    L"\n【働き】\n"
    L"@d",

    // 移動
    L"手前のウィンドウを上下左右に動かします。\n"
    L"\n【いまのキー】\n"
    L"@p"
    L"間隔\t@m\n"
    L"\n【働き】\n"
    L"@d"
    L"「間隔」は 1～50 ピクセルです。大きさは変わりません。\n"
    L"・最大化されているウィンドウと、デスクトップ（背景）は動かしません。\n"
    L"・ダイアログやツールウィンドウも動かせます。\n"
    L"・画面の端では止まりません。押し続けると、ウィンドウは画面の外へ出ていきます。\n"
    L"@b",

    // サイズ変更1
    L"手前のウィンドウの右下を動かして大きさを変えます。左上の角は動きません。\n"
    L"\n【いまのキー】\n"
    L"@p"
    L"間隔\t@s（サイズ変更1、2 共通）\n"
    L"\n【働き】\n"
    L"キーを押すたびに、辺を「間隔」のピクセル数（1～50）だけ動かします。\n"
    L"@d"
    L"@n@b",

    // サイズ変更2
    L"手前のウィンドウの左上を動かして大きさを変えます。右下の角は動きません。\n"
    L"\n【いまのキー】\n"
    L"@p"
    L"間隔\t@s（[サイズ変更1] で設定します）\n"
    L"\n【働き】\n"
    L"キーを押すたびに、辺を「間隔」のピクセル数だけ動かします。\n"
    L"@d"
    L"@n@b",

    // マウス
    L"【いまの設定】\n"
    L"@p"
    L"移動する位置\t@c\n"
    L"隅からの距離\t@o\n"
    L"起動時に隅へ移動\t@M\n"
    L"\n【働き】\n"
    L"@d"
    L"「起動時に隅へ移動」をオンにすると、起動時に、ホットキーを登録したあとで一度隅へ移動"
    L"します。\n",

    // その他
    L"【いまの設定】\n"
    L"@p"
    L"トレイのアイコン\t@T\n"
    L"Windows の起動時に起動\t@W\n"
    L"\n【働き】\n"
    L"@d"
    L"・「タスクトレイのアイコンを表示しない」をオンにして「OK」を押すと、すぐにアイコンが"
    L"消えます。そのあとメニューは、上のキーか、Quorel をもう一度起動すると開きます。\n"
    L"・「Windows の起動時に Quorel を起動する」をオンにして「OK」を押すと、スタートアップ"
    L"フォルダーに、この Quorel.exe を起動するショートカット Quorel.lnk を作ります。オフにして"
    L"「OK」を押すと、そのショートカットを削除します。設定ファイルには書きません。\n",

    // 設定ファイル
    L"設定は、Quorel.exe と同じフォルダーの Quorel.INI（実行ファイルの拡張子を .INI に変えた"
    L"名前）にあります。そのフォルダーに書き込めないとき（Program Files の下など）は、"
    L"%APPDATA%\\Quorel フォルダーの同じ名前のファイルを使います。このファイルがまだないときは、"
    L"最初の起動で Quorel.exe と同じフォルダーの Quorel.INI があればそこから読み、フォルダーは"
    L"初めて書き込むときに作ります。どちらを使うかは起動のときに決めます。"
    L"いま使っているファイル：\n"
    L"@i\n"
    L"\n【読み書きするとき】\n"
    L"・起動したときに一度だけ読みます。ファイルやキーがなければ既定値を使います。\n"
    L"・オプションの画面で「OK」を押したときと、終了するときに、下の一覧のキーを書き込みます。"
    L"\n"
    L"・動いているあいだにファイルを書き換えても、「OK」や終了のときに上書きされます。手で"
    L"編集するときは、Quorel を終了してからにしてください。\n"
    L"・書き込めないときは、そのときに「（ファイル名） に書き込めません。」と表示されます。\n"
    L"\n【キーの一覧】\n"
    L"セクション [Option] に、この順に書き込みます。\n"
    L"@k"
    L"\n【キーの組み合わせの書き方】\n"
    L"例：Shift+Ctrl+Alt+Right\n"
    L"・Shift+、Ctrl+、Alt+ のあとにキーの名前を書きます（+ の前後に空白は入れません）。読む"
    L"ときは順番を問わず、Ctrl+ の代わりに ^ も使え、大文字と小文字を区別しません。\n"
    L"・キーの名前：A～Z、0～9、F1～F24、BkSp、Tab、Enter、Esc、Space、PgUp、PgDn、End、"
    L"Home、Left、Up、Right、Down、Ins、Del、記号のキーはその 1 文字（; や / など）。テンキーは"
    L" Num 0～Num 9、Num *、Num +、Num -、Num .、そのほかのキーは Key 0x13 のように Key 0x と"
    L"16 進 2 けたのキーコードです。\n"
    L"・値が空（CloseKey= など）ならホットキーなし、キーの行がなければ既定値です。キーとして"
    L"読めない値（Ctrl+Alt、Foo+Bar、空白の入った Ctrl + Alt + Q など）は登録せず、起動のときに"
    L"まとめて知らせます。その値は、オプションの画面でそのキーを設定するまでファイルに残ります。"
    L"\n"
    L"\n【数値の書き方】\n"
    L"・10 進数（-3 など負の数も）、$ に続く 16 進数（$1A）、0x に続く 16 進数（0x1A）。読め"
    L"ない値（空、abc、12px など）は既定値になります。範囲の外の値は、どんな大きさでも、範囲の"
    L"近いほうの端になります（MoveP と SizeP は 1～50、MouseOffset は 0～100）。\n"
    L"・StartMouseMove と NoTrayIcon は、0 以外の数値がオンです。\n"
    L"・値を \" か ' で囲むと、囲みは取り除かれます。\n",

    // 困ったときは
    L"【「ホットキー「…」の登録に失敗しました。」と表示された】\n"
    L"そのキーの組み合わせを、ほかのプログラムがすでに使っています（Quorel の二つのコマンドに"
    L"同じキーを設定したときは、後から登録するほうが失敗します）。そのキーは次に登録し直すまで"
    L"働きません。オプションの画面で別のキーにするか、そのプログラムを終了してから、オプションの"
    L"画面を開いて閉じてください。閉じると（「キャンセル」でも）すべて登録し直します。「OK」を"
    L"押したときに、使われているキーの一覧が出ていれば、「はい」でそのキーの欄に戻れます。\n"
    L"@f"
    L"\n【キーを押しても何も起こらない】\n"
    L"・オプションの画面が開いているあいだは、ホットキーはすべて止まっています。\n"
    L"・Quorel.INI の値がキーとして読めないと（Ctrl+Alt のように修飾キーだけで、キーの名前が"
    L"ないときなど）、そのコマンドは登録しません。[はじめに] の一覧に「はキーとして読めません」"
    L"と示されます。オプションの画面でキーを設定し直して「OK」を押すか、Quorel を終了してから "
    L"[設定ファイル] の書き方に合わせて直してください。\n"
    L"・キーは手前のウィンドウに働きます。最大化されているウィンドウや、最大化ボタン、最小化"
    L"ボタンのないウィンドウには働かないキーがあります（各ページの説明を見てください）。\n"
    L"\n【応答しないウィンドウ】\n"
    L"応答していない（固まっている）ウィンドウや、操作に時間のかかるウィンドウには、操作が"
    L"すぐには効きません。それでも Quorel はそのウィンドウを待たないので、ほかのウィンドウへの"
    L"キー、メニュー、通知領域のアイコンはそのまま働きます。そのウィンドウへの操作は、ふたたび"
    L"応答したときに、押した順に一度ずつ行われます（移動やサイズ変更は押した回数だけ進みます）。"
    L"「すべて元のサイズに戻す」と「すべて最小化」は、ウィンドウを一つずつ順に処理し、少し待っても"
    L"終わらないウィンドウは、応答したときに行うことにして次へ進みます。\n"
    L"\n【管理者として実行しているプログラム】\n"
    L"管理者として実行しているプログラム（タスク マネージャー、管理者のコマンド プロンプト、"
    L"インストーラーなど）のウィンドウは、管理者として実行していない Quorel からは動かせません"
    L"（最大化、最小化、移動、サイズ変更、閉じるのどれも効きません）。Windows が許していない"
    L"ためです。\n"
    L"・そのようなウィンドウでキーを押すと、アイコンを表示していれば、そのことを通知でお知らせ"
    L"します（起動してから一度だけ）。通知をクリックすると、Quorel を管理者として再起動します。"
    L"確認の画面で「はい」を選ぶと、設定を保存してから新しい Quorel に替わります。「いいえ」なら"
    L"何も変わらず、いまの Quorel が動き続けます。\n"
    L"・管理者として実行している Quorel は、アイコンのヒントが「Quorel (管理者)」になります。"
    L"アイコンを表示しないときも、Quorel をもう一度起動すればメニューが開きます。\n"
    L"・はじめから管理者として実行するには、エクスプローラーで Quorel.exe を右クリックして"
    L"「管理者として実行」を選びます。Windows の起動時に管理者として実行するには、タスク"
    L"スケジューラで「ログオン時」に Quorel.exe を起動するタスクを作り、「最上位の特権で実行"
    L"する」にチェックを付けます。スタートアップ フォルダーのショートカットに「管理者として"
    L"実行」を設定しても、サインインのときには Windows がそのショートカットを起動しません。\n"
    L"\n【設定が保存されない】\n"
    L"設定は、オプションの画面の「OK」と、終了のときに書き込みます。強制終了したときは、最後の"
    L"「OK」のあとに変わったもの（ほかの Quorel から引き継いだものなど）は保存されません。\n",
};

// A number of pixels as it takes effect: within its setting's range.
std::wstring Pixels(std::int32_t AppSettings::*field, const AppSettings& s) {
    std::int32_t v = s.*field;
    if (const SettingEntry* row = FindIntegerSetting(field))
        v = ClampToRange(v, row->Min, row->Max);
    return DecimalText(v) + L" ピクセル";
}

// A topic being built from its template.
class Builder {
  public:
    Builder(HelpTopic topic, const AppSettings& s, const HelpFacts& f)
        : topic_(topic), s_(s), f_(f) {}

    bool Failed(int number) const {
        const HotkeyEntry* e = FindHotkey(number);
        return e && !(s_.*e->Field).empty() && f_.Refused[static_cast<size_t>(number)];
    }

    void Pair(const std::wstring& name, const std::wstring& value) {
        out_ += name;
        out_ += L'\t';
        out_ += value;
        out_ += L'\n';
    }

    void Commands(const std::vector<const HotkeyEntry*>& rows, bool failedOnly) {
        for (const HotkeyEntry* e : rows) {
            if (failedOnly && !Failed(e->Number))
                continue;
            std::wstring key = HotkeyText(s_.*e->Field);
            if (Failed(e->Number))
                key += L"（登録できませんでした）";
            Pair(e->Name, key);
        }
    }

    // The rows of the topic's options page; none for another topic.
    std::vector<const HotkeyEntry*> PageRows() const {
        const PageHelp* p = PageHelpOfTopic(topic_);
        return p ? HotkeysOfPage(p->Page) : std::vector<const HotkeyEntry*>{};
    }

    void Insert(wchar_t what) {
        static const wchar_t* const corners[] = {L"左上", L"右上", L"左下", L"右下"};
        switch (what) {
        case L'p':
            Commands(PageRows(), false);
            break;
        case L'd':
            for (const HotkeyEntry* e : PageRows()) {
                out_ += L"・";
                out_ += e->Name;
                out_ += L"：";
                out_ += e->Description;
                out_ += L'\n';
            }
            break;
        case L'a':
            Commands(HotkeysInPageOrder(), false);
            break;
        case L'm':
            out_ += Pixels(&AppSettings::MoveP, s_);
            break;
        case L's':
            out_ += Pixels(&AppSettings::SizeP, s_);
            break;
        case L'o':
            out_ += Pixels(&AppSettings::MouseOffset, s_);
            break;
        case L'c':
            if (s_.MouseMovePos >= 0 && s_.MouseMovePos <= 3)
                out_ += corners[s_.MouseMovePos];
            else
                out_ +=
                    L"なし（値 " + DecimalText(s_.MouseMovePos) + L" ではカーソルは動きません）";
            break;
        case L'M':
            out_ += s_.StartMouseMove ? L"する" : L"しない";
            break;
        case L'T':
            out_ += s_.NoTrayIcon ? L"表示しない" : L"表示する";
            break;
        case L'W':
            out_ += f_.StartsWithWindows ? L"する" : L"しない";
            break;
        case L'i':
            out_ += f_.IniPath;
            break;
        case L'k':
            IniKeys();
            break;
        case L'n':
            out_ += kNoResize;
            break;
        case L'b': {
            out_ += kButtons;
            const wchar_t* separator = L"";
            for (const HotkeyEntry* e : PageRows()) {
                out_ += separator;
                out_ += HotkeyText(e->DefaultText);
                separator = L"、";
            }
            out_ += kButtonsEnd;
            break;
        }
        case L'f': {
            size_t before = out_.size();
            Commands(HotkeysInPageOrder(), true);
            if (out_.size() == before)
                out_ += L"いま、登録できなかったキーはありません。\n";
            break;
        }
        default:
            break;
        }
    }

    void IniKeys() {
        for (const SettingEntry& e : SettingTable()) {
            std::wstring meaning;
            if (e.Kind == SettingKind::Text) {
                for (const HotkeyEntry& h : HotkeyTable())
                    if (h.Field == e.Text)
                        meaning = h.Name;
                meaning += L"（既定 " + HotkeyText(e.DefaultText) + L"）";
                if (e.WrittenOnlyWhenSet)
                    meaning += L"（キーを設定したときだけ書き込みます）";
            } else {
                meaning = ValueMeaningOf(e.Key);
                meaning += L"（既定 " + DecimalText(e.DefaultInt) + L"）";
            }
            Pair(AnsiToWide(e.Key), meaning);
        }
    }

    std::wstring Build() {
        out_ = L"■ ";
        out_ += HelpTopicTitle(topic_);
        out_ += L"\n\n";
        for (const wchar_t* p = kTexts[static_cast<int>(topic_)]; *p; ++p) {
            if (*p == L'@' && p[1])
                Insert(*++p);
            else
                out_ += *p;
        }
        // The text control breaks lines at CR LF.
        std::wstring text;
        text.reserve(out_.size() + out_.size() / 16);
        for (wchar_t c : out_) {
            if (c == L'\n')
                text += L'\r';
            text += c;
        }
        return text;
    }

  private:
    HelpTopic topic_;
    const AppSettings& s_;
    const HelpFacts& f_;
    std::wstring out_;
};

} // namespace

const wchar_t* HelpTopicTitle(HelpTopic topic) {
    int i = static_cast<int>(topic);
    return i >= 0 && i < kHelpTopicCount ? kTitles[i] : L"";
}

HelpTopic HelpTopicOfContext(unsigned long context) {
    for (const PageHelp& p : kPageHelp)
        if (p.Context == context)
            return p.Topic;
    return HelpTopic::Intro;
}

unsigned long HelpContextOfPage(OptionPage page) {
    for (const PageHelp& p : kPageHelp)
        if (p.Page == page)
            return p.Context;
    return 0;
}

HelpTopic HelpTopicOfRequest(unsigned command, unsigned long data) {
    if (command == HELP_CONTEXT || command == HELP_CONTEXTPOPUP)
        return HelpTopicOfContext(data);
    return HelpTopic::Intro;
}

std::wstring HotkeyText(const std::string& stored) {
    if (stored.empty())
        return L"なし";
    std::string canonical = FormatShortCut(ParseShortCut(stored));
    if (canonical.empty())
        return L"なし（「" + AnsiToWide(stored) + L"」はキーとして読めません）";
    return AnsiToWide(canonical);
}

std::wstring HelpTopicText(HelpTopic topic, const AppSettings& settings, const HelpFacts& facts) {
    int i = static_cast<int>(topic);
    if (i < 0 || i >= kHelpTopicCount)
        return {};
    return Builder(topic, settings, facts).Build();
}

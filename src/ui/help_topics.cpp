#include "ui/help_topics.h"

#include "base/decimal_text.h"
#include "base/error_report.h"
#include "hotkey/shortcut.h"

#include <windows.h>

#include <iterator>
#include <string_view>
#include <vector>

namespace {

// A text of the help in Japanese and in English.
struct Bilingual {
    const wchar_t* ja;
    const wchar_t* en;
};
// The same for the long texts. Their English is kept in UTF-8: nearly all
// of it is ASCII, and so takes half the room in the program.
struct BilingualLong {
    const wchar_t* ja;
    const char8_t* en;
};

const Bilingual kTitles[kHelpTopicCount] = {
    {L"はじめに", L"Overview"},
    {L"全般", L"General"},
    {L"移動", L"Move"},
    {L"サイズ変更1", L"Resize 1"},
    {L"サイズ変更2", L"Resize 2"},
    {L"マウス", L"Mouse"},
    {L"その他", L"Other"},
    {L"設定ファイル", L"Settings File"},
    {L"困ったときは", L"Troubleshooting"},
};

// Text shared by the pages with four arrow keys.
const BilingualLong kNoResize = {
    L"最大化されているウィンドウと、最大化ボタンのないウィンドウ（多くの"
    L"ダイアログなど）には何もしません。枠をドラッグして大きさを変えられる"
    L"ウィンドウでも同じです。\n",
    u8"Nothing happens to a maximized window or to one without a Maximize button (such as "
    u8"most dialog boxes), even if its border can be dragged to resize it.\n"};
const BilingualLong kButtons = {
    L"\n【ページのボタン】\n「デフォルト」はこのページのキーを最初の設定（",
    u8"\nButtons on this page\n"
    u8"Default sets the keys of this page back to their defaults ("};
const BilingualLong kButtonsEnd = {
    L"）に戻し、「クリア」は消します。どちらも「OK」で画面を閉じたときに"
    L"有効になります。\n",
    u8"), and Clear removes them. Either takes effect when you close Options with OK.\n"};

// The meanings of the INI keys that are not hotkeys (a hotkey's meaning is
// its name in the hotkey table).
struct ValueMeaning {
    std::string_view key;
    BilingualLong meaning;
};
constexpr ValueMeaning kValueMeanings[] = {
    {"MoveP", {L"移動の間隔（ピクセル）", u8"Move step (pixels)"}},
    {"SizeP", {L"サイズ変更の間隔（ピクセル）", u8"Resize step (pixels)"}},
    {"MouseMovePos",
     {L"隅：0 左上、1 右上、2 左下、3 右下",
      u8"Corner: 0 top left, 1 top right, 2 bottom left, 3 bottom right"}},
    {"MouseOffset", {L"隅からの距離（ピクセル）", u8"Distance from the corner (pixels)"}},
    {"StartMouseMove",
     {L"起動時に隅へ移動：1 する、0 しない", u8"Move to the corner at startup: 1 yes, 0 no"}},
    {"NoTrayIcon",
     {L"アイコンを表示しない：1 表示しない、0 表示する", u8"Hide the icon: 1 hidden, 0 shown"}},
};

constexpr const ValueMeaning* ValueMeaningOf(std::string_view key) {
    for (const ValueMeaning& m : kValueMeanings)
        if (m.key == key)
            return &m;
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

// The topics, each in Japanese and then in English. A line ends with "\n";
// a tab separates a name from its value.
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
const BilingualLong kTexts[kHelpTopicCount] = {
    // はじめに
    {L"Quorel は、ホットキーで手前の（アクティブな）ウィンドウを最大化、最小化したり、動かしたり、"
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
     u8"Quorel stays running in the background and lets you maximize, minimize, move and resize "
     u8"the active window with hotkeys. The hotkeys work whatever program you are using.\n"
     u8"\nCurrent hotkeys\n"
     u8"@a\n"
     u8"To change the keys, open Options. While Options is open, all the hotkeys are off, so "
     u8"that you can type keys into it.\n"
     u8"\nKey checks\n"
     u8"When you press OK, Quorel checks the keys before Options closes.\n"
     u8"• A character key without Ctrl or Alt (A, 7, Space, a punctuation key, a numeric keypad "
     u8"digit and so on) could no longer be typed anywhere, so Quorel asks first. F1–F24, Pause, "
     u8"the arrow keys and the like are not asked about.\n"
     u8"• A key given to two commands, or used by another program, is listed.\n"
     u8"\nNotification area icon\n"
     u8"Right-click the icon to open the menu; double-click it to open Options. If Options or "
     u8"About is already open, that window just comes to the front.\n"
     u8"Icon\t@T\n"
     u8"\nMenu\n"
     u8"Options, Restore All, Minimize All, Screen Saver (as the commands of those names on the "
     u8"General page), Help, About and Exit (saves the settings and ends Quorel).\n"
     u8"\nOne copy at a time\n"
     u8"If you start Quorel while it is already running, the new copy ends at once. When the "
     u8"icon is hidden, the running copy opens its menu at the mouse pointer instead (unless "
     u8"Options or another of its windows is open).\n"
     u8"\nYou can select and copy the text of this help (Ctrl+A selects all, Ctrl+C copies).\n"},

    // 全般
    {L"「手前のウィンドウ」とは、キーを押したときにアクティブな（キーボードの入力を受けている）"
     L"ウィンドウです。\n"
     L"\n【いまのキー】\n"
     L"@p"
     L"\n【働き】\n"
     L"@d",
     u8"The commands act on the active window: the window that receives keyboard input when you "
     u8"press the key.\n"
     u8"\nCurrent keys\n"
     u8"@p\n"
     u8"What they do\n"
     u8"@d"},

    // 移動
    {L"手前のウィンドウを上下左右に動かします。\n"
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
     u8"Moves the active window up, down, left or right.\n"
     u8"\nCurrent keys\n"
     u8"@pStep\t@m\n"
     u8"\nWhat they do\n"
     u8"@dThe step is 1 to 50 pixels. The size of the window does not change.\n"
     u8"• Maximized windows and the desktop (the background) are not moved.\n"
     u8"• Dialog boxes and tool windows can be moved too.\n"
     u8"• The window does not stop at the edge of the screen: hold the key down and it moves off "
     u8"the screen.\n"
     u8"@b"},

    // サイズ変更1
    {L"手前のウィンドウの右下を動かして大きさを変えます。左上の角は動きません。\n"
     L"\n【いまのキー】\n"
     L"@p"
     L"間隔\t@s（サイズ変更1、2 共通）\n"
     L"\n【働き】\n"
     L"キーを押すたびに、辺を「間隔」のピクセル数（1～50）だけ動かします。\n"
     L"@d"
     L"@n@b",
     u8"Resizes the active window by moving its bottom-right corner. The top-left corner stays "
     u8"put.\n"
     u8"\nCurrent keys\n"
     u8"@pStep\t@s (shared by Resize 1 and 2)\n"
     u8"\nWhat they do\n"
     u8"Each press moves an edge by the step, in pixels (1 to 50).\n"
     u8"@d@n@b"},

    // サイズ変更2
    {L"手前のウィンドウの左上を動かして大きさを変えます。右下の角は動きません。\n"
     L"\n【いまのキー】\n"
     L"@p"
     L"間隔\t@s（[サイズ変更1] で設定します）\n"
     L"\n【働き】\n"
     L"キーを押すたびに、辺を「間隔」のピクセル数だけ動かします。\n"
     L"@d"
     L"@n@b",
     u8"Resizes the active window by moving its top-left corner. The bottom-right corner stays "
     u8"put.\n"
     u8"\nCurrent keys\n"
     u8"@pStep\t@s (set on the Resize 1 page)\n"
     u8"\nWhat they do\n"
     u8"Each press moves an edge by the step, in pixels.\n"
     u8"@d@n@b"},

    // マウス
    {L"【いまの設定】\n"
     L"@p"
     L"移動する位置\t@c\n"
     L"隅からの距離\t@o\n"
     L"起動時に隅へ移動\t@M\n"
     L"\n【働き】\n"
     L"@d"
     L"「起動時に隅へ移動」をオンにすると、起動時に、ホットキーを登録したあとで一度隅へ移動"
     L"します。\n",
     u8"Current settings\n"
     u8"@pCorner\t@c\n"
     u8"Distance from the corner\t@o\n"
     u8"Move at startup\t@M\n"
     u8"\nWhat they do\n"
     u8"@dIf moving to the corner at startup is selected, Quorel moves the pointer to the corner "
     u8"once when it starts, after registering its hotkeys.\n"},

    // その他
    {L"【いまの設定】\n"
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
     u8"Current settings\n"
     u8"@pNotification area icon\t@T\n"
     u8"Start with Windows\t@W\n"
     u8"\nWhat they do\n"
     u8"@d• If you choose to hide the notification area icon and press OK, the icon goes away at "
     u8"once. The menu then opens with the key above, or when you start Quorel again.\n"
     u8"• If you choose to start Quorel with Windows and press OK, Quorel puts a shortcut, "
     u8"Quorel.lnk, to this Quorel.exe in your Startup folder. Clear it and press OK to "
     u8"delete the shortcut. This setting is not kept in the settings file.\n"},

    // 設定ファイル
    {L"設定は、Quorel.exe と同じフォルダーの Quorel.INI（実行ファイルの拡張子を .INI に変えた"
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
     u8"The settings are kept in Quorel.INI beside Quorel.exe (the program file's name, ending in "
     u8".INI). If Quorel cannot write to that folder (under Program Files, for "
     u8"example), it uses the file of the same name in the %APPDATA%\\Quorel folder instead. "
     u8"Until that file exists, Quorel reads the Quorel.INI beside Quorel.exe, if there is one, "
     u8"and it makes the folder when it first writes the file. Quorel decides which file to use "
     u8"each time it starts. The file in use now:\n"
     u8"@i\n"
     u8"\nWhen the file is read and written\n"
     u8"• Quorel reads it once, when it starts. A missing file or key gives the default value.\n"
     u8"• It writes the keys listed below when you press OK in Options, and when it exits.\n"
     u8"• Quorel overwrites changes made to the file while it runs, at OK or at exit. To "
     u8"edit the file by hand, exit Quorel first.\n"
     u8"• If Quorel cannot write the file, it says so at that moment.\n"
     u8"\nKeys\n"
     u8"They are written to the [Option] section, in this order.\n"
     u8"@k\n"
     u8"How to write a key combination\n"
     u8"Example: Shift+Ctrl+Alt+Right\n"
     u8"• Write Shift+, Ctrl+ and Alt+ as needed, then the name of the key (no spaces around +). "
     u8"When reading, Quorel takes them in any order, accepts ^ for Ctrl+, and ignores case.\n"
     u8"• Key names: A–Z, 0–9, F1–F24, BkSp, Tab, Enter, Esc, Space, PgUp, PgDn, End, Home, "
     u8"Left, Up, Right, Down, Ins, Del, and for a punctuation key its one character (such as ; "
     u8"or /). Numeric keypad keys are Num 0–Num 9, Num *, Num +, Num - and Num .; "
     u8"any other key is Key 0x and its two-digit hexadecimal key code, such as Key 0x13.\n"
     u8"• An empty value (such as CloseKey=) means no hotkey; a missing line means the default. "
     u8"A value that cannot be read as a key (Ctrl+Alt, Foo+Bar, or Ctrl + Alt + Q with spaces) "
     u8"is not registered, and Quorel lists all such values once when it starts. The value stays "
     u8"in the file until you set that key in Options.\n"
     u8"\nHow to write a number\n"
     u8"• Decimal (negative numbers such as -3 too), or hexadecimal after $ ($1A) or 0x (0x1A). "
     u8"A value that cannot be read (empty, abc, 12px and so on) gives the default. A value "
     u8"outside its range, however large, becomes the nearer end of the range (MoveP and SizeP "
     u8"1 to 50, MouseOffset 0 to 100).\n"
     u8"• For StartMouseMove and NoTrayIcon, any number other than 0 means on.\n"
     u8"• Quotation marks (\" or ') around a value are removed.\n"},

    // 困ったときは
    {L"【「ホットキー「…」の登録に失敗しました。」と表示された】\n"
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
     u8"A message says a hotkey could not be registered\n"
     u8"Another program already uses that key combination (if two of Quorel's commands have the "
     u8"same key, the one registered second fails). The key does not work until it is registered "
     u8"again. Choose another key in Options, or exit that program and then open and close "
     u8"Options: closing it (with Cancel, too) registers all the keys again. If the list of keys "
     u8"in use came up when you pressed OK, Yes takes you back to that key's box.\n"
     u8"@f\n"
     u8"A key does nothing\n"
     u8"• While Options is open, all the hotkeys are off.\n"
     u8"• A value in Quorel.INI that cannot be read as a key (for example, only modifiers such as "
     u8"Ctrl+Alt, with no key) is not registered. The list in Overview marks it \"cannot be read "
     u8"as a key\". Set the key again in Options and press OK, or exit Quorel and correct the "
     u8"value "
     u8"as Settings File describes.\n"
     u8"• The keys act on the active window. Some keys do nothing to a maximized window, or to one "
     u8"without a Maximize or Minimize button (see each page's topic).\n"
     u8"\nA window that is not responding\n"
     u8"A window that is not responding (hung), or takes its time over a command, does not "
     u8"react at once. Quorel does not wait for it, though: the keys for other windows, the menu "
     u8"and the notification area icon go on working. That window gets its commands when it "
     u8"responds again, each once and in the order pressed (a move or resize goes as many steps "
     u8"as you pressed). Restore All and Minimize All take the windows one by one; a window that "
     u8"has not finished after a short wait gets its command when it responds, and Quorel goes "
     u8"on to the next.\n"
     u8"\nPrograms run as administrator\n"
     u8"Quorel cannot act on the windows of a program run as administrator (Task Manager, an "
     u8"administrator Command Prompt, an installer and so on) unless Quorel runs as "
     u8"administrator too: maximize, minimize, move, resize and close all do nothing. Windows "
     u8"does not allow it.\n"
     u8"• When you press a key on such a window, Quorel tells you so in a notification (once per "
     u8"run, and only while its icon is shown). Click the notification to restart "
     u8"Quorel as administrator. If you choose Yes when Windows asks, Quorel saves its settings "
     u8"and the new copy takes over; if you choose No, nothing changes.\n"
     u8"• When Quorel runs as administrator, the tooltip of its icon says so. With the icon "
     u8"hidden, starting Quorel again still opens its menu.\n"
     u8"• To run Quorel as administrator from the start, right-click Quorel.exe in File Explorer "
     u8"and choose \"Run as administrator\". To run it as administrator when Windows starts, "
     u8"create a task in Task Scheduler that starts Quorel.exe \"At log on\", and select \"Run "
     u8"with highest privileges\". Windows does not start a Startup folder shortcut set to run "
     u8"as administrator when you sign in.\n"
     u8"\nSettings are not saved\n"
     u8"Quorel writes its settings when you press OK in Options and when it exits. If it is "
     u8"forced to end, what changed after the last OK (such as settings taken over from another "
     u8"copy of Quorel) is not saved.\n"},
};

// A number of pixels as it takes effect: within its setting's range.
std::wstring Pixels(std::int32_t AppSettings::*field, const AppSettings& s, UiLanguage lang) {
    std::int32_t v = s.*field;
    if (const SettingEntry* row = FindIntegerSetting(field))
        v = ClampToRange(v, row->Min, row->Max);
    return DecimalText(v) +
           InLanguage(lang, L" ピクセル", v == 1 || v == -1 ? L" pixel" : L" pixels");
}

// A topic being built from its template.
class Builder {
  public:
    Builder(HelpTopic topic, const AppSettings& s, const HelpFacts& f, UiLanguage lang)
        : topic_(topic), s_(s), f_(f), lang_(lang) {}

    // A text of the topic in its language.
    const wchar_t* T(const wchar_t* ja, const wchar_t* en) const {
        return InLanguage(lang_, ja, en);
    }
    const wchar_t* T(const Bilingual& text) const { return T(text.ja, text.en); }
    std::wstring T(const BilingualLong& text) const {
        if (lang_ == UiLanguage::Japanese)
            return text.ja;
        return Utf8ToWide(reinterpret_cast<const char*>(text.en));
    }
    const wchar_t* NameOf(const HotkeyEntry& e) const { return T(e.Name, e.NameEn); }

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
            std::wstring key = HotkeyText(s_.*e->Field, lang_);
            if (Failed(e->Number))
                key += T(L"（登録できませんでした）", L" (could not be registered)");
            Pair(NameOf(*e), key);
        }
    }

    // The rows of the topic's options page; none for another topic.
    std::vector<const HotkeyEntry*> PageRows() const {
        const PageHelp* p = PageHelpOfTopic(topic_);
        return p ? HotkeysOfPage(p->Page) : std::vector<const HotkeyEntry*>{};
    }

    void Insert(wchar_t what) {
        static const Bilingual corners[] = {{L"左上", L"Top left"},
                                            {L"右上", L"Top right"},
                                            {L"左下", L"Bottom left"},
                                            {L"右下", L"Bottom right"}};
        switch (what) {
        case L'p':
            Commands(PageRows(), false);
            break;
        case L'd':
            for (const HotkeyEntry* e : PageRows()) {
                out_ += T(L"・", L"• ");
                out_ += NameOf(*e);
                out_ += T(L"：", L": ");
                out_ += T(e->Description, e->DescriptionEn);
                out_ += L'\n';
            }
            break;
        case L'a':
            Commands(HotkeysInPageOrder(), false);
            break;
        case L'm':
            out_ += Pixels(&AppSettings::MoveP, s_, lang_);
            break;
        case L's':
            out_ += Pixels(&AppSettings::SizeP, s_, lang_);
            break;
        case L'o':
            out_ += Pixels(&AppSettings::MouseOffset, s_, lang_);
            break;
        case L'c':
            if (s_.MouseMovePos >= 0 && s_.MouseMovePos <= 3)
                out_ += T(corners[s_.MouseMovePos]);
            else
                out_ += T(L"なし（値 ", L"None (with the value ") + DecimalText(s_.MouseMovePos) +
                        T(L" ではカーソルは動きません）", L" the pointer does not move)");
            break;
        case L'M':
            out_ += s_.StartMouseMove ? T(L"する", L"Yes") : T(L"しない", L"No");
            break;
        case L'T':
            out_ += s_.NoTrayIcon ? T(L"表示しない", L"Hidden") : T(L"表示する", L"Shown");
            break;
        case L'W':
            out_ += f_.StartsWithWindows ? T(L"する", L"Yes") : T(L"しない", L"No");
            break;
        case L'i':
            out_ += f_.IniPath;
            break;
        case L'k':
            IniKeys();
            break;
        case L'n':
            out_ += T(kNoResize);
            break;
        case L'b': {
            out_ += T(kButtons);
            const wchar_t* separator = L"";
            for (const HotkeyEntry* e : PageRows()) {
                out_ += separator;
                out_ += HotkeyText(e->DefaultText, lang_);
                separator = T(L"、", L", ");
            }
            out_ += T(kButtonsEnd);
            break;
        }
        case L'f': {
            size_t before = out_.size();
            Commands(HotkeysInPageOrder(), true);
            if (out_.size() == before)
                out_ += T(L"いま、登録できなかったキーはありません。\n",
                          L"Every key is registered now.\n");
            break;
        }
        default:
            break;
        }
    }

    void IniKeys() {
        for (const SettingEntry& e : SettingTable()) {
            std::wstring meaning;
            if (e.Text == &AppSettings::Language) {
                meaning = T(L"表示言語：ja（日本語）、en（英語）。ないときは Windows の表示言語に"
                            L"合わせます（設定したときだけ書き込みます）",
                            L"Display language: ja (Japanese) or en (English); without it, the "
                            L"Windows display language decides (written only while set)");
            } else if (e.Kind == SettingKind::Text) {
                for (const HotkeyEntry& h : HotkeyTable())
                    if (h.Field == e.Text)
                        meaning = NameOf(h);
                meaning += T(L"（既定 ", L" (default: ") + HotkeyText(e.DefaultText, lang_) +
                           T(L"）", L")");
                if (e.WrittenOnlyWhenSet)
                    meaning +=
                        T(L"（キーを設定したときだけ書き込みます）", L" (written only when set)");
            } else {
                meaning = T(ValueMeaningOf(e.Key)->meaning);
                meaning +=
                    T(L"（既定 ", L" (default: ") + DecimalText(e.DefaultInt) + T(L"）", L")");
            }
            Pair(AnsiToWide(e.Key), meaning);
        }
    }

    std::wstring Build() {
        out_ = L"■ ";
        out_ += HelpTopicTitle(topic_, lang_);
        out_ += L"\n\n";
        const std::wstring topicText = T(kTexts[static_cast<int>(topic_)]);
        for (const wchar_t* p = topicText.c_str(); *p; ++p) {
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
    UiLanguage lang_;
    std::wstring out_;
};

} // namespace

const wchar_t* HelpTopicTitle(HelpTopic topic, UiLanguage language) {
    int i = static_cast<int>(topic);
    return i >= 0 && i < kHelpTopicCount ? InLanguage(language, kTitles[i].ja, kTitles[i].en) : L"";
}

const wchar_t* HelpWindowCaption(UiLanguage language) {
    return InLanguage(language, L"Quorel ヘルプ", L"Quorel Help");
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

std::wstring HotkeyText(const std::string& stored, UiLanguage language) {
    if (stored.empty())
        return InLanguage(language, L"なし", L"None");
    std::string canonical = FormatShortCut(ParseShortCut(stored));
    if (canonical.empty())
        return InLanguage(language, L"なし（「", L"None (\"") + AnsiToWide(stored) +
               InLanguage(language, L"」はキーとして読めません）", L"\" cannot be read as a key)");
    return AnsiToWide(canonical);
}

std::wstring HelpTopicText(HelpTopic topic, const AppSettings& settings, const HelpFacts& facts,
                           UiLanguage language) {
    int i = static_cast<int>(topic);
    if (i < 0 || i >= kHelpTopicCount)
        return {};
    return Builder(topic, settings, facts, language).Build();
}

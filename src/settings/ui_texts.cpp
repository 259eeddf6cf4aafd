#include "settings/ui_texts.h"

#include <array>
#include <cstddef>

namespace {

constexpr auto kTexts = std::to_array<TextPair>({
    {TextId::MenuOptions, L"オプション(&O)...", L"&Options..."},
    {TextId::MenuRestoreAll, L"すべて元のサイズに戻す(&R)", L"&Restore All Windows"},
    {TextId::MenuMinimizeAll, L"すべて最小化(&N)", L"Mi&nimize All Windows"},
    {TextId::MenuScreenSaver, L"スクリーンセーバー(&S)", L"Start &Screen Saver"},
    {TextId::MenuHelp, L"ヘルプ(&H)...", L"&Help..."},
    {TextId::MenuAbout, L"バージョン情報(&A)...", L"&About Quorel..."},
    {TextId::MenuExit, L"Quorel の終了(&X)", L"E&xit Quorel"},
    {TextId::MenuCancel, L"キャンセル(&C)", L"&Cancel"},
    {TextId::TrayTipAdministrator, L"Quorel (管理者)", L"Quorel (Administrator)"},
    {TextId::BlockedTargetNotice,
     L"このウィンドウは管理者として実行されています。Quorel から操作するには、"
     L"ここをクリックして Quorel を管理者として再起動してください。",
     L"This window is running as administrator. To control it with Quorel, click here to "
     L"restart Quorel as administrator."},
    {TextId::HotkeyRefused, L"ホットキー「%1」の登録に失敗しました。",
     L"Could not register the hotkey \"%1\"."},
    {TextId::SettingsNotWritten, L"%1 に書き込めません", L"Cannot write to %1"},
    {TextId::StartupShortcutNotMade,
     L"スタートアップ フォルダーにショートカットを作成できません。\n\n",
     L"Cannot create the shortcut in the Startup folder.\n\n"},
    {TextId::StartupFolderNotFound, L"スタートアップ フォルダーが見つかりません。",
     L"Cannot find the Startup folder."},
    {TextId::StartupShortcutNotDeleted,
     L"スタートアップ フォルダーのショートカットを削除できません。\n\n",
     L"Cannot delete the shortcut in the Startup folder.\n\n"},
    {TextId::OptionsNotMade, L"オプションダイアログを作成できません",
     L"Cannot open the Options dialog box"},
    {TextId::TrayNotAdded, L"タスクトレイに登録できません",
     L"Cannot add the icon to the notification area"},
    {TextId::TrayIdNotPositive, L"0以下は指定できません", L"The value must be greater than 0"},
    {TextId::TrayIdTaken, L"同じアイコン識別子が有ります", L"Another icon has the same identifier"},
    {TextId::TrayNoIcon, L"アイコンが指定されていません", L"No icon is set"},
    {TextId::PageToDefaults, L"[%1]のホットキーをデフォルトに戻します。",
     L"The hotkeys on the \"%1\" page will be reset to their defaults."},
    {TextId::PageCleared, L"[%1]のホットキーをクリアします。",
     L"The hotkeys on the \"%1\" page will be cleared."},
    {TextId::AboutCaption, L"バージョン情報", L"About Quorel"},
    {TextId::OptionsCaption, L"オプション", L"Options"},
    {TextId::PageGeneral, L"全般", L"General"},
    {TextId::PageMove, L"移動", L"Move"},
    {TextId::PageSizeBottomRight, L"サイズ変更1", L"Resize 1"},
    {TextId::PageSizeTopLeft, L"サイズ変更2", L"Resize 2"},
    {TextId::PageMouse, L"マウス", L"Mouse"},
    {TextId::PageOther, L"その他", L"Other"},
    {TextId::ButtonDefaults, L"デフォルト", L"Defaults"},
    {TextId::ButtonClear, L"クリア", L"Clear"},
    {TextId::ButtonCancel, L"キャンセル", L"Cancel"},
    {TextId::ButtonHelp, L"ヘルプ", L"Help"},
    {TextId::GroupWindow, L"ウィンドウの操作", L"Window"},
    {TextId::GroupMove, L"ウィンドウの移動", L"Move the window"},
    {TextId::GroupSizeBottomRight, L"ウィンドウ右下の操作", L"Bottom and right edges"},
    {TextId::GroupSizeTopLeft, L"ウィンドウ左上の操作", L"Top and left edges"},
    {TextId::GroupMouse, L"マウスカーソルの移動", L"Mouse pointer"},
    {TextId::GroupPopupMenu, L"ポップアップメニュー", L"Menu"},
    {TextId::GroupPlacement, L"ウィンドウの配置", L"Window position"},
    {TextId::GroupTrayIcon, L"トレイアイコン", L"Notification area"},
    {TextId::GroupStartup, L"Windows の起動", L"Windows startup"},
    {TextId::GroupLanguage, L"言語", L"Language"},
    {TextId::LabelStep, L"間隔 :", L"Step:"},
    {TextId::NoteStepShared, L"(サイズ変更1, 2共通)", L"(Resize 1 and 2)"},
    {TextId::LabelCorner, L"移動する位置 :", L"Corner:"},
    {TextId::LabelCornerDistance, L"隅からの距離 :", L"Distance from corner:"},
    {TextId::CheckStartMouseMove, L"起動時に隅へ移動", L"Move the pointer when Quorel starts"},
    {TextId::CheckNoTrayIcon, L"タスクトレイのアイコンを表示しない",
     L"Hide the icon in the notification area"},
    {TextId::CheckStartWithWindows, L"Windows の起動時に Quorel を起動する",
     L"Start Quorel when Windows starts"},
    {TextId::LabelLanguage, L"表示言語 :", L"Display language:"},
    {TextId::LanguageAutomatic, L"Windows と同じ", L"Same as Windows"},
    {TextId::CornerTopLeft, L"左上", L"Top left"},
    {TextId::CornerTopRight, L"右上", L"Top right"},
    {TextId::CornerBottomLeft, L"左下", L"Bottom left"},
    {TextId::CornerBottomRight, L"右下", L"Bottom right"},
});

constexpr bool EveryTextInItsPlace() {
    if (kTexts.size() != static_cast<std::size_t>(TextId::Count))
        return false;
    for (std::size_t i = 0; i < kTexts.size(); ++i)
        if (kTexts[i].Id != static_cast<TextId>(i))
            return false;
    return true;
}
static_assert(EveryTextInItsPlace(), "one row per text, in the order of TextId");

} // namespace

const TextPair& TextRow(TextId id) {
    return kTexts[static_cast<std::size_t>(id)];
}

const wchar_t* TextIn(UiLanguage language, TextId id) {
    const TextPair& row = TextRow(id);
    return InLanguage(language, row.Japanese, row.English);
}

const wchar_t* UiText(TextId id) {
    return TextIn(CurrentUiLanguage(), id);
}

std::wstring UiTextWith(TextId id, const std::wstring& argument) {
    std::wstring text = UiText(id);
    const std::size_t at = text.find(L"%1");
    if (at != std::wstring::npos)
        text.replace(at, 2, argument);
    return text;
}

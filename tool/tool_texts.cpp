// The Edit tool's texts (tool_texts.h).  Shift-JIS forms are byte escapes
// with the characters in a comment; the tests check them against the
// platform's converter.
#include "tool/tool_texts.h"

namespace {

const char* const toolList_En[] = {
    "Sel Lattice",
    "Sel Point",
    "Sel Lasso",
    "Move",
    "Rotate",
    "Stretch",
    "Size",
    "Drag",
    "Grab",
    "GrabBody",
    "Grabnet",
    "Magnet",
    "Twist",
    "TwistBody",
    "Inflate",
    "Deflate",
    "Erase",
    "RestSize",
    "Apply Disp",
    "Remove Disp",
    nullptr};
const char* const toolList_UTF8_Jp[] = {
    "ラティス選択",
    "頂点選択",
    "投げ縄選択",
    "移動",
    "回転",
    "ストレッチ",
    "拡大縮小",
    "ドラッグ",
    "グラッブ",
    "ｸﾞﾗｯﾌﾞﾎﾞﾃﾞｨ",
    "ｸﾞﾗｯﾌﾞﾈｯﾄ",
    "マグネット",
    "ツイスト",
    "ﾂｲｽﾄﾎﾞﾃﾞｨ",
    "膨張",
    "収縮",
    "消去",
    "元サイズ変更",
    "変形を適用",
    "変形を解除",
    nullptr};
const char* const toolList_SJIS_Jp[] = {
    "\x83\x89\x83" "e\x83" "B\x83X\x91I\x91\xF0",  // ラティス選択
    "\x92\xB8\x93_\x91I\x91\xF0",  // 頂点選択
    "\x93\x8A\x82\xB0\x93\xEA\x91I\x91\xF0",  // 投げ縄選択
    "\x88\xDA\x93\xAE",  // 移動
    "\x89\xF1\x93]",  // 回転
    "\x83X\x83g\x83\x8C\x83" "b\x83`",  // ストレッチ
    "\x8Ag\x91\xE5\x8Fk\x8F\xAC",  // 拡大縮小
    "\x83h\x83\x89\x83" "b\x83O",  // ドラッグ
    "\x83O\x83\x89\x83" "b\x83u",  // グラッブ
    "\xB8\xDE\xD7\xAF\xCC\xDE\xCE\xDE\xC3\xDE\xA8",  // ｸﾞﾗｯﾌﾞﾎﾞﾃﾞｨ
    "\xB8\xDE\xD7\xAF\xCC\xDE\xC8\xAF\xC4",  // ｸﾞﾗｯﾌﾞﾈｯﾄ
    "\x83}\x83O\x83l\x83" "b\x83g",  // マグネット
    "\x83" "c\x83" "C\x83X\x83g",  // ツイスト
    "\xC2\xB2\xBD\xC4\xCE\xDE\xC3\xDE\xA8",  // ﾂｲｽﾄﾎﾞﾃﾞｨ
    "\x96" "c\x92\xA3",  // 膨張
    "\x8E\xFB\x8Fk",  // 収縮
    "\x8F\xC1\x8B\x8E",  // 消去
    "\x8C\xB3\x83T\x83" "C\x83Y\x95\xCF\x8DX",  // 元サイズ変更
    "\x95\xCF\x8C`\x82\xF0\x93K\x97p",  // 変形を適用
    "\x95\xCF\x8C`\x82\xF0\x89\xF0\x8F\x9C",  // 変形を解除
    nullptr};

const char* const editCommandList_En[] = {
    "Set Zero-Key",
    "Create Key",
    "Delete Keys",
    "-----------------------",
    "Change Segments",
    "Change Size",
    "-----------------------",
    "Open Falloff Panel",
    "-----------------------",
    "Display: Unseen",
    "Display: Solid",
    "Display: X-Ray",
    nullptr};
const char* const editCommandList_UTF8_Jp[] = {
    "無変形状態のキーフレームを作成",
    "補間したキーフレームを作成",
    "キーフレームを削除",
    "-----------------------",
    "ラティスの分割数を変更",
    "ラティスの元サイズを変更",
    "-----------------------",
    "影響減衰設定パネルを開く",
    "-----------------------",
    "ラティスの表示を 非表示 に変更",
    "ラティスの表示を ソリッド に変更",
    "ラティスの表示を 透過 に変更",
    nullptr};
const char* const editCommandList_SJIS_Jp[] = {
    "\x96\xB3\x95\xCF\x8C`\x8F\xF3\x91\xD4\x82\xCC\x83L\x81[\x83t\x83\x8C\x81[\x83\x80\x82\xF0\x8D\xEC\x90\xAC",  // 無変形状態のキーフレームを作成
    "\x95\xE2\x8A\xD4\x82\xB5\x82\xBD\x83L\x81[\x83t\x83\x8C\x81[\x83\x80\x82\xF0\x8D\xEC\x90\xAC",  // 補間したキーフレームを作成
    "\x83L\x81[\x83t\x83\x8C\x81[\x83\x80\x82\xF0\x8D\xED\x8F\x9C",  // キーフレームを削除
    "-----------------------",  // -----------------------
    "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x95\xAA\x8A\x84\x90\x94\x82\xF0\x95\xCF\x8DX",  // ラティスの分割数を変更
    "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x8C\xB3\x83T\x83" "C\x83Y\x82\xF0\x95\xCF\x8DX",  // ラティスの元サイズを変更
    "-----------------------",  // -----------------------
    "\x89" "e\x8B\xBF\x8C\xB8\x90\x8A\x90\xDD\x92\xE8\x83p\x83l\x83\x8B\x82\xF0\x8AJ\x82\xAD",  // 影響減衰設定パネルを開く
    "-----------------------",  // -----------------------
    "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x95\\\x8E\xA6\x82\xF0 \x94\xF1\x95\\\x8E\xA6 \x82\xC9\x95\xCF\x8DX",  // ラティスの表示を 非表示 に変更
    "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x95\\\x8E\xA6\x82\xF0 \x83\\\x83\x8A\x83" "b\x83h \x82\xC9\x95\xCF\x8DX",  // ラティスの表示を ソリッド に変更
    "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x95\\\x8E\xA6\x82\xF0 \x93\xA7\x89\xDF \x82\xC9\x95\xCF\x8DX",  // ラティスの表示を 透過 に変更
    nullptr};

const char* const falloffPresetList_En[] = {
    "Linear",
    "Ease In",
    "Ease Out",
    "Smooth",
    nullptr};
const char* const falloffPresetList_UTF8_Jp[] = {
    "リニア",
    "イーズイン",
    "イーズアウト",
    "スムース",
    nullptr};
const char* const falloffPresetList_SJIS_Jp[] = {
    "\x83\x8A\x83j\x83" "A",  // リニア
    "\x83" "C\x81[\x83Y\x83" "C\x83\x93",  // イーズイン
    "\x83" "C\x81[\x83Y\x83" "A\x83" "E\x83g",  // イーズアウト
    "\x83X\x83\x80\x81[\x83X",  // スムース
    nullptr};
}  // namespace

const LocalizedList toolListTexts = {toolList_En, toolList_UTF8_Jp, toolList_SJIS_Jp};
const LocalizedList editCommandListTexts = {editCommandList_En, editCommandList_UTF8_Jp, editCommandList_SJIS_Jp};
const LocalizedList falloffPresetListTexts = {falloffPresetList_En, falloffPresetList_UTF8_Jp, falloffPresetList_SJIS_Jp};

const LocalizedText textToolTitle = {"Lattice Tool", nullptr, nullptr};
const LocalizedText textEdit = {"Edit", "編集", "\x95\xD2\x8FW"};  // 編集
const LocalizedText textCurrent = {"Current", "ラティス", "\x83\x89\x83" "e\x83" "B\x83X"};  // ラティス
const LocalizedText textBrushRadius = {"Brush Radius", "ブラシ半径", "\x83u\x83\x89\x83V\x94\xBC\x8C" "a"};  // ブラシ半径
const LocalizedText textStrength = {"Strength", "強さ", "\x8B\xAD\x82\xB3"};  // 強さ
const LocalizedText textStiffness = {"Stiffness", "硬さ", "\x8D" "d\x82\xB3"};  // 硬さ
const LocalizedText textFixPoints = {"Fix pnts out of range", "ブラシ範囲外の頂点を固定", "\x83u\x83\x89\x83V\x94\xCD\x88\xCD\x8AO\x82\xCC\x92\xB8\x93_\x82\xF0\x8C\xC5\x92\xE8"};  // ブラシ範囲外の頂点を固定
const LocalizedText textZeroKey = {"Zero-Key", "無変形キー", "\x96\xB3\x95\xCF\x8C`\x83L\x81["};  // 無変形キー
const LocalizedText textCreateKey = {"Create Key", "キー作成", "\x83L\x81[\x8D\xEC\x90\xAC"};  // キー作成
const LocalizedText textDeleteKey = {"Delete Key", "キー削除", "\x83L\x81[\x8D\xED\x8F\x9C"};  // キー削除
const LocalizedText textUndo = {"Undo", "ｱﾝﾄﾞｩ", "\xB1\xDD\xC4\xDE\xA9"};  // ｱﾝﾄﾞｩ
const LocalizedText textRedo = {"Redo", "ﾘﾄﾞｩ", "\xD8\xC4\xDE\xA9"};  // ﾘﾄﾞｩ
const LocalizedText textMultiple = {" (multiple) ", " (複数選択) ", " (\x95\xA1\x90\x94\x91I\x91\xF0) "};  //  (複数選択) 
const LocalizedText textChangeSize = {"Change Size", "ラティスの元サイズを変更", "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x8C\xB3\x83T\x83" "C\x83Y\x82\xF0\x95\xCF\x8DX"};  // ラティスの元サイズを変更
const LocalizedText textNewSizeX = {"New Size X", "元サイズ X", "\x8C\xB3\x83T\x83" "C\x83Y X"};  // 元サイズ X
const LocalizedText textChangeSegments = {"Change Segments", "ラティスの分割数を変更", "\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x95\xAA\x8A\x84\x90\x94\x82\xF0\x95\xCF\x8DX"};  // ラティスの分割数を変更
const LocalizedText textNewSegmentX = {"New Segment X", "分割数 X", "\x95\xAA\x8A\x84\x90\x94 X"};  // 分割数 X
const LocalizedText textFalloffTitle = {"Falloff Preferences", "減衰設定", "\x8C\xB8\x90\x8A\x90\xDD\x92\xE8"};  // 減衰設定
const LocalizedText textPresets = {"Presets", "プリセット", "\x83v\x83\x8A\x83Z\x83" "b\x83g"};  // プリセット
const LocalizedText textDeleteAllKeysTitle = {"Delete All Keys", "全キーフレームを削除", "\x91S\x83L\x81[\x83t\x83\x8C\x81[\x83\x80\x82\xF0\x8D\xED\x8F\x9C"};  // 全キーフレームを削除
const LocalizedText textDeleteAllKeysQuestion = {"Are you sure you want to clear all keys of the selected lattices?", "現在選択されているラティスの全キーフレームを削除しますか？", "\x8C\xBB\x8D\xDD\x91I\x91\xF0\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x83\x89\x83" "e\x83" "B\x83X\x82\xCC\x91S\x83L\x81[\x83t\x83\x8C\x81[\x83\x80\x82\xF0\x8D\xED\x8F\x9C\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81H"};  // 現在選択されているラティスの全キーフレームを削除しますか？
const LocalizedText textObjectsOnly = {"Objects mode only.", "オブジェクトを選択してから実行してください。", "\x83I\x83u\x83W\x83" "F\x83N\x83g\x82\xF0\x91I\x91\xF0\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x8E\xC0\x8Ds\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "B"};  // オブジェクトを選択してから実行してください。

// Two kana of three bytes each in UTF-8; anything else means the compiler
// did not store the literals as UTF-8.
static_assert(sizeof("リニ") == 2 * 3 + 1, "UTF-8 execution character set required");

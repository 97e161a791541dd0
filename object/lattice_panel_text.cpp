// The Lattice object panel's texts.  The panel shows the Shift-JIS forms
// on every host build; the UTF-8 forms are the same characters, kept so
// each text is complete in its three forms (language.h).

#include "object/lattice_panel.h"

namespace {

const char display_En[] = "Display";
const char display_UTF8_Jp[] = "表示";
const char display_SJIS_Jp[] = "\x95\x5C" "\x8E\xA6"; /* 表示 */

const char selectedColor_En[] = "Selected Color";
const char selectedColor_UTF8_Jp[] = "選択ラティスの色";
/* 選択ラティスの色 */
const char selectedColor_SJIS_Jp[] = "\x91\x49" "\x91\xF0" "\x83\x89" "\x83\x65" "\x83\x42" "\x83\x58" "\x82\xCC" "\x90\x46";

const char unselectedColor_En[] = "Unselected Color";
const char unselectedColor_UTF8_Jp[] = "非選択ラティスの色";
/* 非選択ラティスの色 */
const char unselectedColor_SJIS_Jp[] =
    "\x94\xF1" "\x91\x49" "\x91\xF0" "\x83\x89" "\x83\x65" "\x83\x42" "\x83\x58" "\x82\xCC" "\x90\x46";

const char opacity_En[] = "Opacity";
const char opacity_UTF8_Jp[] = "不透明度";
const char opacity_SJIS_Jp[] = "\x95\x73" "\x93\xA7" "\x96\xBE" "\x93\x78"; /* 不透明度 */

const char affectAllGroups_En[] = "Affect All Groups";
const char affectAllGroups_UTF8_Jp[] = "全グループに影響を与える";
/* 全グループに影響を与える */
const char affectAllGroups_SJIS_Jp[] = "\x91\x53" "\x83\x4F" "\x83\x8B" "\x81\x5B" "\x83\x76" "\x82\xC9"
                                       "\x89\x65" "\x8B\xBF" "\x82\xF0" "\x97\x5E" "\x82\xA6" "\x82\xE9";

const char groupName_En[] = "Group Name";
const char groupName_UTF8_Jp[] = "グループ名称";
const char groupName_SJIS_Jp[] = "\x83\x4F" "\x83\x8B" "\x81\x5B" "\x83\x76" "\x96\xBC" "\x8F\xCC"; /* グループ名称 */

const char weightMap_En[] = "Weight Map";
const char weightMap_UTF8_Jp[] = "ウェイトマップ";
/* ウェイトマップ */
const char weightMap_SJIS_Jp[] = "\x83\x45" "\x83\x46" "\x83\x43" "\x83\x67" "\x83\x7D" "\x83\x62" "\x83\x76";

const char camera_En[] = "Camera";
const char camera_UTF8_Jp[] = "カメラ";
const char camera_SJIS_Jp[] = "\x83\x4A" "\x83\x81" "\x83\x89"; /* カメラ */

const char projectionType_En[] = "Projection Type";
const char projectionType_UTF8_Jp[] = "投影タイプ";
const char projectionType_SJIS_Jp[] = "\x93\x8A" "\x89\x65" "\x83\x5E" "\x83\x43" "\x83\x76"; /* 投影タイプ */

const char* const displayList_En[] = {"Unseen", "Solid", "X-Ray", nullptr};
const char* const displayList_UTF8_Jp[] = {"非表示", "ソリッド", "透過", nullptr};
const char* const displayList_SJIS_Jp[] = {
    "\x94\xF1" "\x95\x5C" "\x8E\xA6",         /* 非表示 */
    "\x83\x5C" "\x83\x8A" "\x83\x62" "\x83\x68", /* ソリッド */
    "\x93\xA7" "\x89\xDF",                    /* 透過 */
    nullptr};

const char* const projectionTypeList_En[] = {"Perspective", "Orthographic", nullptr};
const char* const projectionTypeList_UTF8_Jp[] = {"透視投影", "平行投影", nullptr};
const char* const projectionTypeList_SJIS_Jp[] = {
    "\x93\xA7" "\x8E\x8B" "\x93\x8A" "\x89\x65", /* 透視投影 */
    "\x95\xBD" "\x8D\x73" "\x93\x8A" "\x89\x65", /* 平行投影 */
    nullptr};

// Two kanji of three bytes each in UTF-8: the compiler stores literals as
// UTF-8 (language.h).
static_assert(sizeof(display_UTF8_Jp) == 2 * 3 + 1, "UTF-8 execution character set required");

}  // namespace

const LocalizedText displayLabelText = {display_En, display_UTF8_Jp, display_SJIS_Jp};
const LocalizedText selectedColorLabelText = {selectedColor_En, selectedColor_UTF8_Jp, selectedColor_SJIS_Jp};
const LocalizedText unselectedColorLabelText = {unselectedColor_En, unselectedColor_UTF8_Jp, unselectedColor_SJIS_Jp};
const LocalizedText opacityLabelText = {opacity_En, opacity_UTF8_Jp, opacity_SJIS_Jp};
const LocalizedText affectAllGroupsLabelText = {affectAllGroups_En, affectAllGroups_UTF8_Jp, affectAllGroups_SJIS_Jp};
const LocalizedText groupNameLabelText = {groupName_En, groupName_UTF8_Jp, groupName_SJIS_Jp};
const LocalizedText weightMapLabelText = {weightMap_En, weightMap_UTF8_Jp, weightMap_SJIS_Jp};
const LocalizedText cameraLabelText = {camera_En, camera_UTF8_Jp, camera_SJIS_Jp};
const LocalizedText projectionTypeLabelText = {projectionType_En, projectionType_UTF8_Jp, projectionType_SJIS_Jp};

const LocalizedList displayList = {displayList_En, displayList_UTF8_Jp, displayList_SJIS_Jp};
const LocalizedList projectionTypeList = {projectionTypeList_En, projectionTypeList_UTF8_Jp,
                                          projectionTypeList_SJIS_Jp};

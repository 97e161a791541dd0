/*
 * lattice_panel.h -- the Lattice object's property panel: the interface
 * server "VKS_Cagewarp" of class "CustomObjInterface" (its activation,
 * LatticeCustomInterface, is declared with the server table).
 *
 * A host view panel ("LWXPanel", kind LWXP_VIEW) bound to the instance's
 * LatticeData.  Box lattices show seven controls; Screen lattices two more
 * for their camera.  In display order:
 *
 *   id      label               control     value            field
 *   0x8001  "Display"           iPopChoice  integer          display (Unseen, Solid, X-Ray)
 *   0x8003  "Selected Color"    color       color            selectedColor
 *   0x8004  "Unselected Color"  color       color            unselectedColor
 *   0x8005  "Opacity"           percent     percent          opacity, range 0 .. 1
 *   0x8009  "Affect All Groups" iBoolean    integer          affectAllGroups
 *   0x8002  "Group Name"        string      string           groupName (enabled while
 *                                                            "Affect All Groups" is off)
 *   0x8006  "Weight Map"        iPopChoice  integer          weightMapIndex / weightMapName
 *   0x8007  "Camera"            iPopChoice  integer          cameraIndex / cameraID (Screen)
 *   0x8008  "Projection Type"   iPopChoice  integer          projectionType (Screen)
 *
 * Labels and choices are Japanese (Shift-JIS, whatever the host build)
 * when the host's language is 1041, else English; the choice is made when
 * the panel is created.
 *
 * What a user sets is bounded before it is stored, never kept raw: a
 * choice outside its list is brought to its nearest entry (a weight map
 * that does not exist means none; a camera that does not exist means none,
 * and the lattice then takes the scene's first camera as at any refresh);
 * colours and opacity are brought
 * within 0 .. 1 and a value that is not a number is refused; a group name
 * is cut to 255 bytes and an empty one becomes "name".  After every change
 * the host is told to refresh ("RefreshNow"), so the deformed objects and
 * the drawn cage follow at once; a new camera is read at once too.
 *
 * Last-used settings: opening the panel and closing it copy the shown
 * lattice's colours and opacity (a Box lattice also its segments and size)
 * into the defaults of new lattices of its kind (lattice_defaults.h).
 */
#ifndef CAGEWARP_OBJECT_LATTICE_PANEL_H
#define CAGEWARP_OBJECT_LATTICE_PANEL_H

#include <stdint.h>

#include "lattice/lattice_data.h"
#include "module/language.h"

/* Control and value identifiers. */
#define LATTICE_PANEL_DISPLAY 0x8001u
#define LATTICE_PANEL_GROUP_NAME 0x8002u
#define LATTICE_PANEL_SELECTED_COLOR 0x8003u
#define LATTICE_PANEL_UNSELECTED_COLOR 0x8004u
#define LATTICE_PANEL_OPACITY 0x8005u
#define LATTICE_PANEL_WEIGHT_MAP 0x8006u
#define LATTICE_PANEL_CAMERA 0x8007u
#define LATTICE_PANEL_PROJECTION 0x8008u
#define LATTICE_PANEL_AFFECT_ALL 0x8009u

/* The host's own hint word the panel puts on "Opacity" (how the host
 * renders a percent control); hosts that do not know it ignore it. */
#define LATTICE_PANEL_OPACITY_HOST_HINT 0x3D021481u

/* The panel's title, in every language. */
#define LATTICE_PANEL_TITLE "Cagewarp"

/* Entry of a popup whose map or camera the host cannot name. */
#define LATTICE_PANEL_MISSING_ENTRY " (missing) "

/* Labels and choice lists (lattice_panel_text.cpp). */
extern const LocalizedText displayLabelText, selectedColorLabelText, unselectedColorLabelText,
    opacityLabelText, affectAllGroupsLabelText, groupNameLabelText, weightMapLabelText, cameraLabelText,
    projectionTypeLabelText;
extern const LocalizedList displayList, projectionTypeList;

/* Copies the lattice's settings into the last-used defaults of its kind:
 * a Box lattice its colours, opacity, segments and size; a Screen lattice
 * its colours and opacity; any other type nothing. */
void storeLatticeDefaults(const LatticeData* lattice);

#endif /* CAGEWARP_OBJECT_LATTICE_PANEL_H */

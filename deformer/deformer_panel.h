/*
 * deformer_panel.h -- the Deformer's property panel: the interface server
 * "VKS_Cagewarp" of class "DisplacementInterface" (its activation,
 * CagewarpInterface, is declared with the server table).
 *
 * A host view panel ("LWXPanel", kind LWXP_VIEW) titled "Cagewarp" with one
 * field bound to the DeformerInstance:
 *
 *   id      label         control  value   field
 *   0x8001  "Group Name"  string   string  groupName
 *
 * The label is Japanese (Shift-JIS, whatever the host build) when the
 * host's language is 1041.  A name is cut to 255 bytes; an empty one
 * becomes "name".  A new name gathers the object's lattices again at once
 * (the host need not change the time for it to count), and the host is
 * told the instance changed, so that the object is deformed again.
 */
#ifndef CAGEWARP_DEFORMER_DEFORMER_PANEL_H
#define CAGEWARP_DEFORMER_DEFORMER_PANEL_H

#include "module/language.h"

/* Control and value identifier of "Group Name". */
#define DEFORMER_PANEL_GROUP_NAME 0x8001u

/* The panel's title, in every language. */
#define DEFORMER_PANEL_TITLE "Cagewarp"

/* The field's label. */
extern const LocalizedText deformerGroupNameLabelText;

#endif /* CAGEWARP_DEFORMER_DEFORMER_PANEL_H */

/*
 * weight_map_list.h -- the scene's weight maps as a panel's choice list
 * shows them.
 *
 * The list is entry 0 for "no weight map", then the scene's "WGHT" maps in
 * the host's order ("Scene Objects 6"), map n at entry n + 1.  A lattice
 * keeps both the entry it shows and the map's name: the name is what the
 * Deformer looks up on each object, and the entry is worked out from it
 * again whenever the panel shows it, because the scene's maps may have
 * been added, removed or renamed since.
 */
#ifndef CAGEWARP_MODULE_WEIGHT_MAP_LIST_H
#define CAGEWARP_MODULE_WEIGHT_MAP_LIST_H

#include <stddef.h>
#include <stdint.h>

#include "sdk/lwitem.h"

/* Entries of the list: the scene's weight maps + 1 (0 maps, or a null
 * service, give 1). */
int32_t getWeightMapEntryCount(const LWSceneObjects* scene);

/* The name of the map at entry `index` (the map index - 1) copied into
 * out (at most size - 1 bytes, terminated).  1 when there is such a map;
 * 0 with out empty for index < 1, past the end or a null service.  Nothing
 * is written when out is null or size is 0. */
int getWeightMapNameByIndex(const LWSceneObjects* scene, int32_t index, char* out, size_t size);

/* The entry of the map called `name`: its position among the scene's
 * weight maps + 1; 0 when name is null or empty or no map has that name. */
int32_t getIndexByWeightMapName(const LWSceneObjects* scene, const char* name);

#endif /* CAGEWARP_MODULE_WEIGHT_MAP_LIST_H */

/*
 * deformer_ring.h -- what a Deformer answers on RING_TOPIC_DEFORMER
 * (module/ring.h): counting, finding and collecting Deformers, the Edit
 * tool's rename check, the highest copy number of a group, and the news
 * that a lattice is being destroyed.
 */
#ifndef CAGEWARP_DEFORMER_DEFORMER_RING_H
#define CAGEWARP_DEFORMER_DEFORMER_RING_H

#include <stdint.h>

#include "deformer/deformer.h"

/* Carries out one event for one Deformer.  Events with a RingQuery record
 * do nothing when the record is null; unknown codes do nothing. */
void answerDeformerRingEvent(DeformerInstance* deformer, int32_t code, void* data);

/* The ring callback (LWComRingEventFunc) every Deformer is attached with;
 * clientData is its DeformerInstance. */
void deformerRingEvent(void* clientData, void* topicData, int32_t eventCode, void* eventData);

#endif /* CAGEWARP_DEFORMER_DEFORMER_RING_H */

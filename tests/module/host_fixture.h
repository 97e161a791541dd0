// A fresh reference host for each test, with the module's service caches
// back to their load-time state, so that no test sees another's statics.
#ifndef CAGEWARP_TESTS_MODULE_HOST_FIXTURE_H
#define CAGEWARP_TESTS_MODULE_HOST_FIXTURE_H

#include <gtest/gtest.h>

#include "host/host.h"
#include "module/deformer_services.h"
#include "module/lattice_services.h"
#include "module/tool_services.h"

class HostTest : public ::testing::Test {
 protected:
  HostTest() { resetAll(); }
  ~HostTest() override { resetAll(); }

  static void resetAll() {
    resetLatticeServices();
    resetDeformerServices();
    resetToolServices();
  }

  // The host's record of a service (ignoring withholding), for comparing
  // with what the caches kept.
  const void* hostRecord(const char* name) {
    const bool withheld = !host.offersService(name);
    if (withheld) host.offerService(name);
    const void* record = host.globalFunction()(name, LWGF_TRANSIENT);
    if (withheld) host.withholdService(name);
    return record;
  }

  const LWComRing* ring() {
    return static_cast<const LWComRing*>(host.globalFunction()(LWCOMRING_GLOBAL, LWGF_TRANSIENT));
  }

  cwhost::Host host;
};

#endif  // CAGEWARP_TESTS_MODULE_HOST_FIXTURE_H

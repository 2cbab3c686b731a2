#pragma once
// The whole window set of the program, created in its start order inside a
// temporary HOME and program folder, and freed again after the test.
#include <gtest/gtest.h>

#include "app/About.h"
#include "program/forms.h"
#include "app/helpers.h"
#include "settings/UGPS.h"
#include "settings/unavset.h"
#include "ntrip/uNTRIPSettings.h"
#include "ntrip/uRTCMParsing.h"
#include "planning/URunlines.h"
#include "planning/UShape.h"
#include "planning/USoundVelocity.h"
#include "planning/uSVPGraph.h"
#include "runtime/Bathymetry.h"
#include "runtime/Latency.h"
#include "runtime/RealtimeData.h"
#include "runtime/UMsg.h"
#include "runtime/fixedlayers.h"
#include "runtime/uCanvas.h"
#include "runtime/uJoystick.h"
#include "runtime/unavigation.h"
#include "tests/support/tempenv.h"
#include "ui/uTheme.h"

class FormsTest : public ::testing::Test {
 protected:
  // Creates the windows (after the test has prepared its settings file) and
  // shows the main window, as the program's start does.
  void Start() {
    TFNav::ExitProcess = [this](int status) { exitStatus = status; };
    RealtimeActive = 0;
    GNSSOpenTick = SounderOpenTick = LastDepthTick = 0;
    SounderDataSeen = SounderTimeoutReported = false;
    LastFileName.clear();
    GridLayer = UserShapeLayer = EventNumberLayer = VesselLayer = -1;
    CreateForms();
    started_ = true;
    FNav->show();
  }

  // Frees the windows, as the program's end does; Start may follow again.
  void Stop() {
    TearDown();
    started_ = false;
  }

  void TearDown() override {
    if (!started_) return;
    TFNav::ExitProcess = [](int) {};
    Free(fRTCMParsing);
    Free(frmNTRIPSettings);
    Free(fSVPGraph);
    Free(fJoystick);
    Free(fTheme);
    Free(fWaterfal);
    Free(fLatency);
    Free(fRunline1);
    Free(fSVP);
    Free(formAbout);
    Free(Offsets);
    Free(FMsg);
    Free(fRealtime);
    Free(FGPS);
    Free(FShape);
    Free(Navset);
    Free(FNav);
  }

  std::string EventsLog() const { return env.ReadFile(EventsLogFileName()); }

  template <class T>
  static void Free(T*& w) {
    delete w;
    w = nullptr;
  }

  TempEnv env;
  int exitStatus = -1;  // what bExit asked for
  bool started_ = false;
};

#include "program/forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QThread>

#include "platform/termination.h"

#include "app/About.h"
#include "app/placement.h"
#include "app/taborder.h"
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
#include "runtime/uCanvas.h"
#include "runtime/uJoystick.h"
#include "runtime/unavigation.h"
#include "ui/uTheme.h"

// The order carries dependencies: each window's constructor may read the
// windows created before it (the device settings read the main window's map).
void CreateForms() {
  FNav = new TFNav();
  Navset = new TNavset();
  FShape = new TFShape();
  FGPS = new TFGPS();
  fRealtime = new TfRealtime();
  FMsg = new TFMsg();
  Offsets = new TOffsets();
  formAbout = new TformAbout();
  fSVP = new TfSVP();
  fRunline1 = new TfRunline1();
  fLatency = new TfLatency();
  fWaterfal = new TfWaterfal();
  fTheme = new TfTheme();
  fJoystick = new TfJoystick();
  fSVPGraph = new TfSVPGraph();
  frmNTRIPSettings = new TfrmNTRIPSettings();
  fRTCMParsing = new TfRTCMParsing();
  // In every window Tab follows the reading order of the fields, and a window
  // shown again comes back where it was left.
  for (QWidget* w : std::initializer_list<QWidget*>{FNav, Navset, FShape, FGPS, fRealtime, FMsg, Offsets, formAbout,
                                                    fSVP, fRunline1, fLatency, fWaterfal, fTheme, fJoystick,
                                                    fSVPGraph, frmNTRIPSettings, fRTCMParsing}) {
    SetReadingTabOrder(w);
    KeepPlaceWhenHidden(w);
  }
}

namespace {
// The closing asked for by a termination request has been carried out.
bool closedOnRequest = false;
}  // namespace

void CloseOnTerminationRequest() {
  platform::OnTerminationRequest([] {
    if (FNav) FNav->close();
    closedOnRequest = true;
    // Every event loop ends, the nested ones of modal dialogs and message
    // boxes too; a window that would refuse to close is not asked.
    // (Outside any event loop there is none to end, and an exit would
    // make every later loop return at once.)
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
  });
}

int RunUntilClosed() {
  // A request carried out before the main loop began (in the loop of a
  // message box at start) has closed the program already: a new main loop
  // would know nothing of it and run on.
  if (closedOnRequest) return 0;
  return QApplication::exec();
}

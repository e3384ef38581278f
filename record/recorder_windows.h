// The windows of the recorders: Pick state, Movie Logger, VGM logger, VGM
// Player and Video recorder, registered together with the SDSC Console
// (debugger/console_window.h). Each registers its toggle,
// event, refresh handlers with the window registry; gadget ids are window id
// x 100 + part.
#pragma once
#include "lumo/window_table.h"
#include "config/config.h"
#include "lumo/gui.h"

// Registers every window of this family (called from RegisterWindows).
void RegisterRecorderWindows();


// Pick state: ten slot toggles 0-9.
constexpr int PickStateSlotId(int slot) { return WinPickState * 100 + slot; }

// Movie Logger.
constexpr int MovieSlotId(int slot) { return WinMovieLogger * 100 + slot; }
enum MovieWindowGadget {
  MovieMessageId = WinMovieLogger * 100 + 10, MovieSendId, MovieRecordId, MoviePlayId, MovieStopId,
  MovieStateTextId,
};

// VGM logger.
enum VgmLoggerGadget {
  VgmStartId = WinVgmLogger * 100, VgmStopId, VgmWaitId, VgmTrimEndId, VgmTrimLoopsId,
  VgmSampleAccurateId, VgmLogTimeId, VgmGameFrameId, VgmNameId, VgmSystemId, VgmDateId,
  VgmTrackFrameId, VgmTitleId, VgmAuthorId, VgmPackageFrameId, VgmCreatorId,
};

// VGM Player.
enum VgmPlayerGadget {
  VgmTitleTextId = WinVgmPlayer * 100, VgmGameTextId, VgmPlayId, VgmStopPlayId, VgmRewindId,
  VgmPositionId, VgmLoadId,
};

// Video recorder.
enum VideoRecorderGadget {
  VideoOptionsFrameId = WinVideoRecorder * 100, VideoFullRateId, VideoHalfRateId, VideoBlurId,
  VideoRecordId, VideoStopId, VideoCodecFrameId, VideoCodecListId, VideoStateTextId, VideoFileTextId,
};

// Each window's registration, made by RegisterRecorderWindows.
void RegisterPickStateWindow();
void RegisterMovieWindow();
void RegisterVgmLoggerWindow();
void RegisterVgmPlayerWindow();
void RegisterVideoRecorderWindow();

// The windows' own entry points (the registry reaches them too).
void TogglePickStateWindow();
void ToggleMovieWindow();
void ToggleVgmLoggerWindow();
void ToggleVgmPlayerWindow();
void ToggleVideoRecorderWindow();

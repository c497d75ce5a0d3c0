// The questions and notices of the open recording as the windows show them:
// which version of the decisions to keep in the InspectionChoiceDialog, and
// a file that could not be read or written in a message box, worded here.
#pragma once

#include <functional>

class QWidget;

namespace vantrel {

class OpenRecording;

// Sets `recording`'s chooseInspection and tell; the dialogs and boxes open
// over the window `parent` gives at that moment. The windows must outlive
// the recording's use of them (the owner clears them: clearPrompts).
void installRecordingPrompts(OpenRecording& recording, std::function<QWidget*()> parent);
void clearRecordingPrompts(OpenRecording& recording);

} // namespace vantrel

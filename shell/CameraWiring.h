#pragma once
// The camera forms on the main window's grabber tabs: the camera service,
// whose forms keep their settings as rows of the survey and log every saved
// frame in CameraGrabs. Test cameras stand in for the devices when
// $VELMAR_TEST_CAMERAS asks for them.
//
// User-interface thread only; call once at start-up.
namespace velmar::shell {

class CameraService;

CameraService& BindCameras();

} // namespace velmar::shell

#pragma once
// Scripted runs: with $VELMAR_TEST_CAMERAS set to a count, that many test
// cameras ("Test Camera 0", ...) stand in for the system's video devices.
// Nothing changes when it is unset or not a positive number.
namespace velmar::camera {

void UseTestCamerasWhenAsked();

} // namespace velmar::camera

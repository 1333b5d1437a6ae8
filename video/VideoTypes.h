#pragma once
// Enumerations of the video component that hosts see and store.
namespace velmar::video {

enum TCurrentState : int { cs_Down, cs_Preview, cs_Recording, cs_Playback, cs_Reencoding };
enum TGraphState : int { gs_None, gs_Building, gs_WaitForSync, gs_CanActivate, gs_Activating, gs_Active };
enum TNotificationMethod : int { nm_Timer, nm_Thread };
enum TVideoSource : int {
    vs_VideoCaptureDevice,
    vs_VideoFileOrURL,
    vs_IPCamera,
    vs_VideoFromImages,
    vs_VideoFromBitmaps,
    vs_ExternalSource
};
enum TFrameGrabber : int { fg_BothStreams, fg_PreviewStream, fg_CaptureStream, fg_Disabled };
enum TVideoRenderer : int { vr_AutoSelect, vr_VMR9, vr_VMR7, vr_StandardRenderer, vr_None };
enum TRecordingMethod : int { rm_AVI, rm_ASF, rm_Stream };
enum TMultiplexedRole : int { mr_NotMultiplexed, mr_MultiplexedMaster, mr_MultiplexedSlave };
enum TCompressionMode : int { cm_NoCompression, cm_CompressOnTheFly, cm_CompressAfterRecording };
enum TCompressionType : int { ct_Video, ct_Audio, ct_AudioVideo };

// Bits of the states in which an operation may run (CheckState).
enum AllowedState : int { as_Preview = 2, as_Recording = 4, as_Player = 8, as_Reencoding = 16 };

} // namespace velmar::video

namespace velmar::video {

enum TFrameCaptureDest : int { fc_TBitmap, fc_BmpFile, fc_JpegFile };
enum TFrameGrabberRGBFormat : int { fgf_Default, fgf_RGB32, fgf_RGB24, fgf_RGB565, fgf_RGB555, fgf_RGB8 };
enum TAutoFileName : int { fn_Sequential, fn_DateTime };
enum TTextOverlayAlign : int { tf_Left, tf_Center, tf_Right };
enum TVideoRotation : int {
    rt_0_deg,
    rt_90_deg,
    rt_180_deg,
    rt_270_deg,
    rt_0_deg_mirror,
    rt_90_deg_mirror,
    rt_180_deg_mirror,
    rt_270_deg_mirror
};
enum TVideoDeinterlacing : int { di_Disabled, di_HalfSize, di_FullSize };
enum TLogoLayout : int { lg_Centered, lg_Stretched, lg_Repeated };
enum TSampleCapture : int { sc_Disabled, sc_Unsplitted, sc_Native, sc_AfterOnDraw, sc_AfterCompression };

} // namespace velmar::video

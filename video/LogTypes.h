#pragma once
// Codes and severities of the video component's reports.
//
// Every condition the component reports to its host carries one of these
// codes (its value is its position, which hosts may store) and a severity.
// Plain values; usable from any thread.
#include <QString>

namespace velmar::video {

enum TLogType : int {
    e_add_filter, e_add_source_filter, e_audio_compressor_not_suitable, e_bind_moniker_to_filter,
    e_compressor_possibly_not_suited, e_create_instance, e_ddraw_caps_not_suitable,
    e_device_in_use_in_another_graph, e_disk_full, e_failed, e_failed_to_allocate_recording_file,
    e_failed_to_bind_codec, e_failed_to_connect_crossbar_pin, e_failed_to_connect_to_server,
    e_failed_to_create_directory, e_failed_to_create_file, e_failed_to_create_temp,
    e_failed_to_bind_frame_grabber, e_failed_to_load_ASF_profile, e_failed_to_load_ASF_profile_custom_file,
    e_failed_to_load_set_of_bitmaps, e_failed_to_play_backwards, e_failed_to_render_file,
    e_failed_to_renew_recording_file, e_failed_to_set_player_speed_ratio_with_audio,
    e_failed_to_setup_network_streaming, e_failed_to_start_preview, e_failed_to_start_recording,
    e_file_in_use, e_file_name_not_specified, e_file_not_found, e_get_audio_format, e_get_interface,
    e_get_video_format, e_graph_error, e_graph_must_be_restarted, e_hw_deinterlace_not_supported,
    e_incompatible_options, e_index_out_of_range, e_invalid_directory, e_library_not_found, e_load_filter,
    e_no_audio_input_device, e_no_device_available, e_no_dialog_for_this_compressor, e_no_stream_control,
    e_no_tv_tuner, e_no_video_device_selected, e_no_video_input_device,
    e_not_allowed_during_network_streaming, e_not_assigned, e_not_multiplexed_master, e_not_previewing,
    e_not_recording, e_not_reencoding, e_not_streaming, e_pause_resume_disabled, e_pin_not_found,
    e_query_config_avi_mux, e_reencoding, e_recording_cannot_pause, e_render_audio_stream,
    e_render_video_stream, e_must_restart_master, e_recording_on_motion_failed, e_set_filter_graph,
    e_set_interleaving_mode, e_set_master_stream, e_set_output_compatibility_index, e_set_output_file_name,
    e_set_format, e_start_preview_first, e_stop_player_first, e_stop_preview_first, e_stop_recording_first,
    e_stop_reencoding_first, e_storage_path_read_only, e_streaming_type_not_specified,
    e_third_party_filter_already_inserted, e_third_party_filter_error, e_trace_log,
    e_tv_command_not_allowed_during_tv_tuning, e_tuner_input_not_selected, e_TOmbrix_Filter_obsolete,
    e_value_out_of_range, e_video_compressor_not_suitable, e_window_transparency_failed,
    i_audio_device_associated_to_video_device, i_begin_discovering_device, i_binding_device_or_compressor,
    i_discovering_device, i_end_discovering_device, i_preallocated_file_size_large_enough,
    i_preallocated_file_size_changed, i_preallocated_file_not_suitable, i_streaming_to_publishing_point,
    i_third_party_filter_inserted, i_using_ASF_Profile, i_recording_videosubtype,
    w_cannot_connect_thirdparty_filter, w_cannot_connect_thirdparty_renderer,
    w_cannot_instantiate_thirdparty_filter, w_cannot_route_audio_crossbar, w_cannot_use_color_key,
    w_does_not_apply_to_dv, w_find_audio_device, w_filter_does_not_save_properties,
    w_frame_grabber_requires_CPU, w_hold_recording, w_information, w_not_playing,
    w_player_audio_should_be_disabled, w_recording_cancelled_by_user, w_can_pause_and_ASF_incompatible,
    w_set_audio_format, w_storage_path_on_network, w_tv_tuner, w_using_nearest_video_size,
    w_divx_codec_not_installed,
    TLogTypeCount
};

// Severities of a report: a trace goes to the process log only.
enum Severity : int { sevTrace = 0, sevInfo = 1, sevWarning = 2, sevError = 3 };

// "INFO", "WARNING", "ERROR" (also for any other non-zero value); empty for a trace.
QString severityText(int severity);

} // namespace velmar::video

// FFmpeg's libraries, opened on first use instead of at start-up: they
// bring in some 150 more shared libraries (x264, x265, gnutls, ...) that a
// run without a video recording never needs. The recorder calls FFmpeg only
// through the table `FFmpeg`, once LoadFFmpeg() has said yes.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/buffer.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

// Every FFmpeg function the recorder calls, by its own name.
#define TAVO_FFMPEG_FUNCTIONS(X)                                                                        \
  X(av_buffer_pool_get) X(av_buffer_pool_init) X(av_buffer_pool_uninit) X(av_buffer_unref)              \
  X(av_channel_layout_default) X(av_codec_get_tag) X(av_dict_free) X(av_dict_set) X(av_frame_alloc)     \
  X(av_frame_free) X(av_frame_get_buffer) X(av_frame_make_writable) X(av_guess_format)                  \
  X(av_interleaved_write_frame) X(av_log_get_level) X(av_log_set_level) X(av_new_packet)                \
  X(av_packet_alloc) X(av_packet_free) X(av_packet_rescale_ts) X(av_packet_unref)                       \
  X(av_pix_fmt_desc_get) X(av_strerror) X(av_write_trailer) X(avcodec_alloc_context3)                   \
  X(avcodec_find_best_pix_fmt_of_list) X(avcodec_find_encoder_by_name) X(avcodec_free_context)          \
  X(avcodec_open2) X(avcodec_parameters_from_context) X(avcodec_receive_packet) X(avcodec_send_frame)   \
  X(avformat_alloc_output_context2) X(avformat_free_context) X(avformat_new_stream)                     \
  X(avformat_query_codec) X(avformat_write_header) X(avio_closep) X(avio_open) X(sws_freeContext)       \
  X(sws_getCoefficients) X(sws_getContext) X(sws_isSupportedOutput) X(sws_scale)                        \
  X(sws_setColorspaceDetails)

// The functions' addresses, typed from the headers the program is built
// against; all none until loaded.
struct FFmpegFunctions {
#define TAVO_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
  TAVO_FFMPEG_FUNCTIONS(TAVO_FFMPEG_POINTER)
#undef TAVO_FFMPEG_POINTER
};

extern FFmpegFunctions FFmpeg;

constexpr int FFmpegLibraryCount = 4;
// The libraries opened, by soname: the major versions of the headers, since
// the interface only stays the same within one. Tests name missing ones.
extern const char* FFmpegLibraryNames[FFmpegLibraryCount];

// Opens the libraries and fills the table on the first call; true when every
// library opened and every function was found; a failure leaves the table
// empty. Later calls give the first answer.
bool LoadFFmpeg();
// Why loading failed: "dlopen(): <the system's text>" or "dlsym(): ...";
// "" when it did not.
const char* FFmpegLoadError();

// Forgets the table and the outcome, with the default names (tests). The
// libraries stay open: the codec list points into them.
void ResetFFmpegLibrary();

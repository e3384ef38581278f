// The codec list. Only a preferred set of encoders is tried: each must keep
// up with the emulation on one core, and opening some of the others to try
// them takes seconds, prints to the terminal or never returns.
#include "record/video_codecs.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "record/ffmpeg_library.h"

namespace {

struct Candidate {
  const char* encoder;
  AVPixelFormat pixel_format;  // none: the closest to 24-bit RGB the encoder takes
  int quality;
  int motion_range;
};

// Lossless first, then the lossy ones with their usual quality. ZMBV's own
// motion search (8 pixels each way) costs 6 ms a frame; 4 still follows
// the usual scrolling speeds at under half that.
const Candidate Candidates[] = {
    {"zmbv", AV_PIX_FMT_NONE, 0, 4},     {"ffv1", AV_PIX_FMT_NONE, 0, 0},
    {"utvideo", AV_PIX_FMT_NONE, 0, 0},  {"huffyuv", AV_PIX_FMT_NONE, 0, 0},
    {"magicyuv", AV_PIX_FMT_NONE, 0, 0}, {"png", AV_PIX_FMT_NONE, 0, 0},
    {"mjpeg", AV_PIX_FMT_NONE, 2, 0},    {"mpeg4", AV_PIX_FMT_YUV420P, 3, 0},
    {"libx264", AV_PIX_FMT_YUV420P, 0, 0},
};

// The picture sizes a recording can have: Master System and Game Gear.
const int TrialSizes[][2] = {{256, 192}, {160, 144}};

std::vector<VideoCodec> Codecs;
bool CodecsBuilt = false;

AVPixelFormat ChoosePixelFormat(const AVCodec* encoder, AVPixelFormat wanted) {
  if (!encoder->pix_fmts) return AV_PIX_FMT_NONE;
  if (wanted == AV_PIX_FMT_NONE)
    return FFmpeg.avcodec_find_best_pix_fmt_of_list(encoder->pix_fmts, AV_PIX_FMT_BGR24, 0, nullptr);
  for (const AVPixelFormat* format = encoder->pix_fmts; *format != AV_PIX_FMT_NONE; ++format)
    if (*format == wanted) return wanted;
  return AV_PIX_FMT_NONE;
}

bool EncoderTakesThePicture(const VideoCodec& codec) {
  const AVPixFmtDescriptor* format = FFmpeg.av_pix_fmt_desc_get(AVPixelFormat(codec.pixel_format));
  if (!format || (format->flags & AV_PIX_FMT_FLAG_HWACCEL)) return false;
  if (codec.pixel_format != AV_PIX_FMT_BGR24 && !FFmpeg.sws_isSupportedOutput(AVPixelFormat(codec.pixel_format)))
    return false;
  for (const auto& size : TrialSizes) {
    int error = 0;
    AVCodecContext* context = OpenVideoEncoder(&codec, size[0], size[1], 60, &error);
    if (!context) return false;
    FFmpeg.avcodec_free_context(&context);
  }
  return true;
}

// Needs no encoder, so it is there without trying anything.
const VideoCodec Uncompressed = {UncompressedCode, "rawvideo", "Uncompressed", nullptr, AV_PIX_FMT_BGR24, 0, 0};

void BuildCodecList() {
  CodecsBuilt = true;
  Codecs.push_back(Uncompressed);
  if (!LoadFFmpeg()) return;

  const AVOutputFormat* avi = FFmpeg.av_guess_format("avi", nullptr, nullptr);
  if (!avi) return;
  // Refused trial sizes are expected; they are not the user's concern.
  int log_level = FFmpeg.av_log_get_level();
  FFmpeg.av_log_set_level(AV_LOG_QUIET);
  for (const Candidate& candidate : Candidates) {
    const AVCodec* encoder = FFmpeg.avcodec_find_encoder_by_name(candidate.encoder);
    if (!encoder || encoder->type != AVMEDIA_TYPE_VIDEO) continue;
    if (FFmpeg.avformat_query_codec(avi, encoder->id, FF_COMPLIANCE_NORMAL) != 1) continue;
    VideoCodec codec{};
    codec.code = FFmpeg.av_codec_get_tag(avi->codec_tag, encoder->id);
    std::snprintf(codec.name, sizeof codec.name, "%s", encoder->name);
    std::snprintf(codec.description, sizeof codec.description, "%s",
                  encoder->long_name ? encoder->long_name : encoder->name);
    codec.encoder = encoder;
    codec.pixel_format = ChoosePixelFormat(encoder, candidate.pixel_format);
    codec.quality = candidate.quality;
    codec.motion_range = candidate.motion_range;
    if (codec.code == 0 || FindVideoCodec(codec.code)) continue;  // each code picks one entry
    if (EncoderTakesThePicture(codec)) Codecs.push_back(codec);
  }
  // Only errors from here on: some encoders describe themselves on opening.
  FFmpeg.av_log_set_level(log_level < AV_LOG_ERROR ? log_level : AV_LOG_ERROR);
}

}  // namespace

AVCodecContext* OpenVideoEncoder(const VideoCodec* codec, int width, int height, int frame_rate,
                                 int* error) {
  AVCodecContext* context = FFmpeg.avcodec_alloc_context3(codec->encoder);
  if (!context) {
    *error = AVERROR(ENOMEM);
    return nullptr;
  }
  context->width = width;
  context->height = height;
  context->pix_fmt = AVPixelFormat(codec->pixel_format);
  context->time_base = AVRational{1, frame_rate};
  context->framerate = AVRational{frame_rate, 1};
  context->sample_aspect_ratio = AVRational{1, 1};
  context->gop_size = frame_rate;  // a key frame every second, for seeking
  context->max_b_frames = 0;       // frames leave in the order they come
  context->thread_count = 1;       // the emulator runs on one core
  if (codec->motion_range > 0) context->me_range = codec->motion_range;
  if (codec->quality > 0) {
    context->flags |= AV_CODEC_FLAG_QSCALE;
    context->global_quality = FF_QP2LAMBDA * codec->quality;
  }
  *error = FFmpeg.avcodec_open2(context, codec->encoder, nullptr);
  if (*error < 0) FFmpeg.avcodec_free_context(&context);
  return context;
}

int VideoCodecCount() {
  if (!CodecsBuilt) BuildCodecList();
  return int(Codecs.size());
}

const VideoCodec* VideoCodecAt(int index) {
  if (index < 0 || index >= VideoCodecCount()) return nullptr;
  return &Codecs[index];
}

void ResetVideoCodecs() {
  Codecs.clear();
  CodecsBuilt = false;
}

const VideoCodec* FindVideoCodec(uint32_t code) {
  if (code == UncompressedCode) return &Uncompressed;
  if (!CodecsBuilt) BuildCodecList();
  for (const VideoCodec& codec : Codecs)
    if (codec.code == code) return &codec;
  return nullptr;
}

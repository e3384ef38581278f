#include "record/avi_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "record/ffmpeg_library.h"
#include "record/video_codecs.h"

namespace {

void Report(const char* call, int error) {
  char text[AV_ERROR_MAX_STRING_SIZE];
  FFmpeg.av_strerror(error, text, sizeof text);
  std::printf("%s(): %s\n", call, text);
  std::fflush(stdout);
}

// A write that failed: reported, and the writer takes nothing more.
bool Fail(AviWriter* avi, const char* call, int error) {
  Report(call, error);
  avi->failed = true;
  return false;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

void Release(AviWriter* avi) {
  if (avi->format) {
    if (avi->format->pb) FFmpeg.avio_closep(&avi->format->pb);
    FFmpeg.avformat_free_context(avi->format);
  }
  FFmpeg.avcodec_free_context(&avi->encoder);
  FFmpeg.sws_freeContext(avi->converter);
  FFmpeg.av_frame_free(&avi->picture);
  FFmpeg.av_frame_free(&avi->converted);
  FFmpeg.av_packet_free(&avi->packet);
  FFmpeg.av_buffer_unref(&avi->frame);
  FFmpeg.av_buffer_pool_uninit(&avi->pool);
  *avi = AviWriter{};
}

// A start that failed half way: nothing stays open and no file is left.
bool Abandon(AviWriter* avi, const char* call, int error) {
  Report(call, error);
  std::string temporary = avi->temporary;
  Release(avi);
  if (!temporary.empty()) unlink(temporary.c_str());
  return false;
}

bool AddVideoStream(AviWriter* avi, const AviSettings& settings) {
  avi->video = FFmpeg.avformat_new_stream(avi->format, nullptr);
  if (!avi->video) return Abandon(avi, "avformat_new_stream", AVERROR(ENOMEM));
  AVCodecParameters* video = avi->video->codecpar;
  if (settings.codec->encoder) {
    int error = 0;
    avi->encoder = OpenVideoEncoder(settings.codec, avi->width, avi->height, avi->frame_rate, &error);
    if (!avi->encoder) return Abandon(avi, "avcodec_open2", error);
    error = FFmpeg.avcodec_parameters_from_context(video, avi->encoder);
    if (error < 0) return Abandon(avi, "avcodec_parameters_from_context", error);
  } else {
    video->codec_type = AVMEDIA_TYPE_VIDEO;
    video->codec_id = AV_CODEC_ID_RAWVIDEO;
    video->codec_tag = 0;  // BI_RGB
    video->format = AV_PIX_FMT_BGR24;
    video->bits_per_coded_sample = 24;
    video->width = avi->width;
    video->height = avi->height;
  }
  video->sample_aspect_ratio = AVRational{1, 1};
  avi->video->time_base = AVRational{1, avi->frame_rate};
  avi->video->avg_frame_rate = AVRational{avi->frame_rate, 1};
  avi->video->r_frame_rate = avi->video->avg_frame_rate;
  FFmpeg.av_dict_set(&avi->video->metadata, "title", "Video stream", 0);
  return true;
}

bool AddAudioStream(AviWriter* avi) {
  avi->audio = FFmpeg.avformat_new_stream(avi->format, nullptr);
  if (!avi->audio) return Abandon(avi, "avformat_new_stream", AVERROR(ENOMEM));
  AVCodecParameters* audio = avi->audio->codecpar;
  audio->codec_type = AVMEDIA_TYPE_AUDIO;
  audio->codec_id = AV_CODEC_ID_PCM_S16LE;
  audio->codec_tag = 1;  // WAVE_FORMAT_PCM
  audio->sample_rate = avi->sample_rate;
  FFmpeg.av_channel_layout_default(&audio->ch_layout, 2);
  audio->bits_per_coded_sample = 16;
  audio->block_align = 4;
  audio->bit_rate = int64_t(avi->sample_rate) * 4 * 8;
  avi->audio->time_base = AVRational{1, avi->sample_rate};
  FFmpeg.av_dict_set(&avi->audio->metadata, "title", "Audiostream", 0);
  return true;
}

// JPEG's full-range YUV formats are the plain ones with another range; the
// converter is told the range instead of being given the old format names.
AVPixelFormat PlainYuv(AVPixelFormat format, bool* full_range) {
  *full_range = true;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: *full_range = false; return format;
  }
}

// The frames the encoder path draws into and converts through.
bool MakeEncoderFrames(AviWriter* avi) {
  avi->picture = FFmpeg.av_frame_alloc();
  if (!avi->picture) return Abandon(avi, "av_frame_alloc", AVERROR(ENOMEM));
  avi->picture->format = AV_PIX_FMT_BGR24;
  avi->picture->width = avi->width;
  avi->picture->height = avi->height;
  int error = FFmpeg.av_frame_get_buffer(avi->picture, 0);
  if (error < 0) return Abandon(avi, "av_frame_get_buffer", error);
  if (avi->encoder->pix_fmt == AV_PIX_FMT_BGR24) return true;
  avi->converted = FFmpeg.av_frame_alloc();
  if (!avi->converted) return Abandon(avi, "av_frame_alloc", AVERROR(ENOMEM));
  avi->converted->format = avi->encoder->pix_fmt;
  avi->converted->width = avi->width;
  avi->converted->height = avi->height;
  error = FFmpeg.av_frame_get_buffer(avi->converted, 0);
  if (error < 0) return Abandon(avi, "av_frame_get_buffer", error);
  bool full_range = false;
  AVPixelFormat target = PlainYuv(avi->encoder->pix_fmt, &full_range);
  avi->converter = FFmpeg.sws_getContext(avi->width, avi->height, AV_PIX_FMT_BGR24, avi->width, avi->height, target,
                                  SWS_POINT, nullptr, nullptr, nullptr);
  if (!avi->converter) return Abandon(avi, "sws_getContext", AVERROR(EINVAL));
  if (full_range) {
    const int* coefficients = FFmpeg.sws_getCoefficients(SWS_CS_DEFAULT);
    FFmpeg.sws_setColorspaceDetails(avi->converter, coefficients, 1, coefficients, 1, 0, 1 << 16, 1 << 16);
  }
  return true;
}

bool WritePacket(AviWriter* avi, AVStream* stream, AVRational time_base) {
  avi->packet->stream_index = stream->index;
  FFmpeg.av_packet_rescale_ts(avi->packet, time_base, stream->time_base);
  int error = FFmpeg.av_interleaved_write_frame(avi->format, avi->packet);
  FFmpeg.av_packet_unref(avi->packet);
  if (error < 0) return Fail(avi, "av_interleaved_write_frame", error);
  return true;
}

// Hands a picture (none: the end) to the encoder and writes what comes out.
bool Encode(AviWriter* avi, AVFrame* frame) {
  int error = FFmpeg.avcodec_send_frame(avi->encoder, frame);
  if (error < 0) return Fail(avi, "avcodec_send_frame", error);
  for (;;) {
    error = FFmpeg.avcodec_receive_packet(avi->encoder, avi->packet);
    if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
    if (error < 0) return Fail(avi, "avcodec_receive_packet", error);
    if (!WritePacket(avi, avi->video, avi->encoder->time_base)) return false;
  }
}

}  // namespace

bool AviOpen(AviWriter* avi, const char* path, const AviSettings& settings) {
  *avi = AviWriter{};
  avi->width = settings.width;
  avi->height = settings.height;
  avi->row_bytes = (settings.width * 3 + 3) & ~3;
  avi->frame_rate = settings.frame_rate;
  avi->sample_rate = settings.sample_rate;
  if (!LoadFFmpeg()) {
    std::printf("%s\n", FFmpegLoadError());
    std::fflush(stdout);
    return false;
  }
  avi->path = path;
  avi->temporary = avi->path + ".tmp";
  unlink(avi->temporary.c_str());  // whatever an earlier run left there

  int error = FFmpeg.avformat_alloc_output_context2(&avi->format, nullptr, "avi", avi->temporary.c_str());
  if (error < 0) return Abandon(avi, "avformat_alloc_output_context2", error);
  if (!AddVideoStream(avi, settings) || !AddAudioStream(avi)) return false;
  error = FFmpeg.avio_open(&avi->format->pb, avi->temporary.c_str(), AVIO_FLAG_WRITE);
  if (error < 0) return Abandon(avi, "avio_open", error);
  AVDictionary* options = nullptr;
  FFmpeg.av_dict_set(&options, "flipped_raw_rgb", "1", 0);  // 24-bit DIB rows run bottom-up
  error = FFmpeg.avformat_write_header(avi->format, &options);
  FFmpeg.av_dict_free(&options);
  if (error < 0) return Abandon(avi, "avformat_write_header", error);

  avi->packet = FFmpeg.av_packet_alloc();
  if (!avi->packet) return Abandon(avi, "av_packet_alloc", AVERROR(ENOMEM));
  if (avi->encoder) return MakeEncoderFrames(avi);
  avi->pool = FFmpeg.av_buffer_pool_init(avi->row_bytes * avi->height + AV_INPUT_BUFFER_PADDING_SIZE, nullptr);
  if (!avi->pool) return Abandon(avi, "av_buffer_pool_init", AVERROR(ENOMEM));
  return true;
}

uint8_t* AviPicture(AviWriter* avi, ptrdiff_t* pitch) {
  if (!avi->format || avi->failed) return nullptr;
  if (!avi->encoder) {
    if (!avi->frame) avi->frame = FFmpeg.av_buffer_pool_get(avi->pool);
    if (!avi->frame) return nullptr;
    *pitch = -ptrdiff_t(avi->row_bytes);
    return avi->frame->data + ptrdiff_t(avi->row_bytes) * (avi->height - 1);
  }
  // The encoder may still hold the last picture; it gets a fresh buffer then.
  if (!avi->converter && FFmpeg.av_frame_make_writable(avi->picture) < 0) return nullptr;
  *pitch = avi->picture->linesize[0];
  return avi->picture->data[0];
}

bool AviWritePicture(AviWriter* avi) {
  if (!avi->format || avi->failed) return false;
  if (!avi->encoder) {
    if (!avi->frame) return false;
    avi->packet->buf = avi->frame;
    avi->frame = nullptr;
    avi->packet->data = avi->packet->buf->data;
    avi->packet->size = avi->row_bytes * avi->height;
    avi->packet->flags |= AV_PKT_FLAG_KEY;
    avi->packet->pts = avi->packet->dts = avi->frames++;
    avi->packet->duration = 1;
    return WritePacket(avi, avi->video, AVRational{1, avi->frame_rate});
  }
  AVFrame* frame = avi->picture;
  if (avi->converter) {
    int error = FFmpeg.av_frame_make_writable(avi->converted);
    if (error < 0) return Fail(avi, "av_frame_make_writable", error);
    FFmpeg.sws_scale(avi->converter, avi->picture->data, avi->picture->linesize, 0, avi->height,
              avi->converted->data, avi->converted->linesize);
    frame = avi->converted;
  }
  frame->pts = avi->frames++;
  return Encode(avi, frame);
}

bool AviWriteSound(AviWriter* avi, const void* samples, uint32_t bytes) {
  if (!avi->format || avi->failed) return false;
  bytes &= ~3u;
  if (bytes == 0) return true;
  int error = FFmpeg.av_new_packet(avi->packet, int(bytes));
  if (error < 0) return Fail(avi, "av_new_packet", error);
  std::memcpy(avi->packet->data, samples, bytes);
  avi->packet->flags |= AV_PKT_FLAG_KEY;
  avi->packet->pts = avi->packet->dts = avi->samples;
  avi->packet->duration = bytes / 4;
  avi->samples += bytes / 4;
  return WritePacket(avi, avi->audio, AVRational{1, avi->sample_rate});
}

bool AviClose(AviWriter* avi) {
  if (!avi->format) return false;
  bool ok = !avi->failed;
  if (ok && avi->encoder) ok = Encode(avi, nullptr);
  // The index is written even after a failed write, so that what reached
  // the disk plays.
  int error = FFmpeg.av_write_trailer(avi->format);
  if (error < 0) {
    if (ok) Report("av_write_trailer", error);
    ok = false;
  }
  error = FFmpeg.avio_closep(&avi->format->pb);
  if (error < 0) {
    if (ok) Report("avio_close", error);
    ok = false;
  }
  std::string path = avi->path, temporary = avi->temporary;
  Release(avi);
  if (ok || !Exists(path)) {
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return ok;
    if (ok) Report("rename", AVERROR(errno));
    ok = false;
  }
  unlink(temporary.c_str());
  return ok;
}

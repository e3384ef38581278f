// Reads an AVI back through FFmpeg's demuxer and decoders: what the streams
// say about themselves, how many packets and sound samples they hold, and
// the last picture decoded to 24-bit rows, top row first.
#pragma once
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <string>
#include <vector>

struct AviContents {
  AVCodecID video_codec = AV_CODEC_ID_NONE;
  int width = 0, height = 0;
  double frame_rate = 0;
  long video_packets = 0;
  AVCodecID audio_codec = AV_CODEC_ID_NONE;
  int sample_rate = 0, channels = 0;
  long audio_samples = 0;  // stereo samples, from the bytes of the audio packets
  std::string video_title, audio_title;
  std::vector<uint8_t> last_picture;  // width x height x 3, blue-green-red
};

inline std::string StreamTitle(const AVStream* stream) {
  const AVDictionaryEntry* title = av_dict_get(stream->metadata, "title", nullptr, 0);
  return title ? title->value : "";
}

// Keeps the decoded picture as 24-bit rows.
inline void KeepPicture(const AVFrame* frame, AviContents* avi) {
  SwsContext* to_bgr = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                      frame->height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  if (!to_bgr) return;
  avi->last_picture.assign(size_t(frame->width) * frame->height * 3, 0);
  uint8_t* planes[4] = {avi->last_picture.data()};
  int pitches[4] = {frame->width * 3};
  sws_scale(to_bgr, frame->data, frame->linesize, 0, frame->height, planes, pitches);
  sws_freeContext(to_bgr);
}

inline bool ReadAvi(const std::string& path, AviContents* avi) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
  bool ok = avformat_find_stream_info(format, nullptr) >= 0;
  int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  AVCodecContext* decoder = nullptr;
  if (ok && video >= 0) {
    const AVStream* stream = format->streams[video];
    avi->video_codec = stream->codecpar->codec_id;
    avi->width = stream->codecpar->width;
    avi->height = stream->codecpar->height;
    avi->frame_rate = av_q2d(stream->avg_frame_rate);
    avi->video_title = StreamTitle(stream);
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (decoder && (avcodec_parameters_to_context(decoder, stream->codecpar) < 0 ||
                    avcodec_open2(decoder, codec, nullptr) < 0))
      avcodec_free_context(&decoder);
  }
  if (ok && audio >= 0) {
    const AVStream* stream = format->streams[audio];
    avi->audio_codec = stream->codecpar->codec_id;
    avi->sample_rate = stream->codecpar->sample_rate;
    avi->channels = stream->codecpar->ch_layout.nb_channels;
    avi->audio_title = StreamTitle(stream);
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* last = av_frame_alloc();
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, frame) >= 0) {
      av_frame_unref(last);
      av_frame_move_ref(last, frame);
    }
  };
  while (ok && av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == video) {
      ++avi->video_packets;
      if (decoder && avcodec_send_packet(decoder, packet) >= 0) receive();
    } else if (packet->stream_index == audio) {
      avi->audio_samples += packet->size / 4;
    }
    av_packet_unref(packet);
  }
  if (decoder && avcodec_send_packet(decoder, nullptr) >= 0) receive();
  if (last->data[0]) KeepPicture(last, avi);
  av_frame_free(&last);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  return ok && video >= 0 && audio >= 0;
}

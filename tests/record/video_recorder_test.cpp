// The video recorder on the demo cartridge: files read back through FFmpeg
// (frame count, size, rate, sound length, the picture itself), the Record
// and Stop commands with their file names and messages, and failures (an
// unusable folder, a file that cannot grow, FFmpeg's libraries missing).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <set>

#include "base/program_dir.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/cartridge_files.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "record/avi_reader.h"
#include "record/ffmpeg_library.h"
#include "record/video_recorder.h"

extern bool AudioVideoRecording;

namespace {

const char* const Demo = TAVO_ROM_DIR "/demo.sms";

class VideoRecorder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeScratchFolder();
    ASSERT_FALSE(folder_.empty());
    ResetMessages();
  }
  void TearDown() override {
    ResetVideoRecorder();
    DestroyConsoles();
    ResetConsoleState();
    MachineOptions = OptInitial;
    ResetProgramDirectory();
    ResetMessages();
    RemoveFolder(folder_);
  }
  void Boot(bool pal = false) {
    MachineOptions = pal ? (OptInitial & ~OptNtscRate) | OptPalLines : OptInitial;
    ASSERT_TRUE(CreateConsoles());
    ASSERT_TRUE(LoadCartridge(Demo));
    HardResetConsole();
  }
  // A main-loop pass as far as the recorder sees it.
  void Passes(int count) {
    for (int i = 0; i < count; ++i) {
      RunConsoleFrame(true, true);
      CaptureVideoPass();
    }
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::string Video(const std::string& name) const { return folder_ + "/Videos/" + name; }
  void UseProgramDirectory() {
    SetProgramDirectory(folder_);
    ASSERT_TRUE(CreateWorkingFolders());
  }
  std::string folder_;
};

uint16_t PixelAt(const PixelBuffer* surface, int x, int y) {
  uint16_t pixel;
  std::memcpy(&pixel, surface->pixels + y * surface->pitch + x * 2, 2);
  return pixel;
}

// The machine's last picture as the file should hold it: blue = low 5 bits
// x 8, green = middle 6 bits x 4, red = high 5 bits x 8; with blur the mean
// of the last two frames.
std::vector<uint8_t> ExpectedPicture(bool blur) {
  VdpWindow window = VdpVisibleWindow(&PrimaryMachine.Vdp);
  std::vector<uint8_t> picture;
  for (int y = 0; y < window.height; ++y)
    for (int x = 0; x < window.width; ++x) {
      uint16_t p = PixelAt(window.finished, window.x + x, window.y + y);
      if (blur) {
        uint16_t q = PixelAt(window.drawn, window.x + x, window.y + y);
        p = uint16_t(((q >> 1) & 0x7BEF) + ((p >> 1) & 0x7BEF));
      }
      picture.push_back(uint8_t((p & 0x1F) << 3));
      picture.push_back(uint8_t((p >> 5 & 0x3F) << 2));
      picture.push_back(uint8_t((p >> 11) << 3));
    }
  return picture;
}

size_t Colours(const std::vector<uint8_t>& picture) {
  std::set<uint32_t> colours;
  for (size_t i = 0; i + 2 < picture.size(); i += 3)
    colours.insert(picture[i] | picture[i + 1] << 8 | picture[i + 2] << 16);
  return colours.size();
}

// Mean difference per colour component; lossy codecs stay close, a wrong
// colour range, channel order or row order does not.
double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 255;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / double(a.size());
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string LastMessage(int back = 0) { return MessageLines[MessageLineCount - 1 - back]; }

TEST_F(VideoRecorder, CodecListStartsUncompressedAndEveryEntryRecords) {
  Boot();
  ASSERT_GE(VideoCodecCount(), 1);
  EXPECT_EQ(VideoCodecAt(0)->code, UncompressedCode);
  EXPECT_STREQ(VideoCodecAt(0)->description, "Uncompressed");
  EXPECT_EQ(VideoCodecAt(VideoCodecCount()), nullptr);
  for (uint32_t code : {FourCc('Z', 'M', 'B', 'V'), FourCc('F', 'F', 'V', '1'), FourCc('M', 'J', 'P', 'G')})
    EXPECT_NE(FindVideoCodec(code), nullptr) << "FFmpeg's own encoder is missing";
  std::set<uint32_t> codes;
  for (int frame = 0; frame < 60; ++frame) RunConsoleFrame(true, true);
  ASSERT_GE(Colours(ExpectedPicture(false)), 6u);
  for (int i = 0; i < VideoCodecCount(); ++i) {
    const VideoCodec* codec = VideoCodecAt(i);
    SCOPED_TRACE(codec->name);
    EXPECT_TRUE(codes.insert(codec->code).second);
    EXPECT_GT(std::strlen(codec->name), 0u);
    EXPECT_GT(std::strlen(codec->description), 0u);
    VideoRecordOptions options;
    options.codec = codec->code;
    std::string path = Path(std::string(codec->name) + ".avi");
    ASSERT_TRUE(OpenVideoRecording(path.c_str(), options));
    uint8_t sound[735 * 4] = {};
    for (int frame = 0; frame < 3; ++frame) CaptureVideoFrame(sound, sizeof sound);
    ASSERT_TRUE(CloseVideoRecording());
    AviContents avi;
    ASSERT_TRUE(ReadAvi(path, &avi));
    EXPECT_EQ(avi.video_packets, 3);
    EXPECT_EQ(avi.width, 256);
    EXPECT_EQ(avi.height, 192);
    EXPECT_EQ(avi.audio_samples, 3 * 735);
    // Lossless codecs give 0, the lossy ones about 1 to 4.5; YUV of the
    // wrong range would give over 10.
    EXPECT_LT(MeanDifference(avi.last_picture, ExpectedPicture(false)), 7.0);
  }
}

TEST_F(VideoRecorder, UncompressedRunHoldsEveryFrameItsSoundAndThePicture) {
  Boot();
  std::string path = Path("run.avi");
  ASSERT_TRUE(OpenVideoRecording(path.c_str(), VideoRecordOptions{}));
  EXPECT_TRUE(AudioVideoRecording);
  EXPECT_TRUE(Exists(path + ".tmp"));
  std::vector<uint8_t> sound(735 * 4);
  for (int frame = 0; frame < 40; ++frame) {
    RunConsoleFrame(true, true);
    ReadSoundSamples(sound.data(), uint32_t(sound.size()));
    CaptureVideoFrame(sound.data(), uint32_t(sound.size()));
  }
  std::vector<uint8_t> expected = ExpectedPicture(false);
  ASSERT_TRUE(CloseVideoRecording());
  EXPECT_FALSE(AudioVideoRecording);
  EXPECT_FALSE(Exists(path + ".tmp"));

  AviContents avi;
  ASSERT_TRUE(ReadAvi(path, &avi));
  EXPECT_EQ(avi.video_codec, AV_CODEC_ID_RAWVIDEO);
  EXPECT_EQ(avi.width, 256);
  EXPECT_EQ(avi.height, 192);
  EXPECT_DOUBLE_EQ(avi.frame_rate, 60);
  EXPECT_EQ(avi.video_packets, 40);
  EXPECT_EQ(avi.video_title, "Video stream");
  EXPECT_EQ(avi.audio_codec, AV_CODEC_ID_PCM_S16LE);
  EXPECT_EQ(avi.sample_rate, 44100);
  EXPECT_EQ(avi.channels, 2);
  EXPECT_EQ(avi.audio_samples, 40 * 735);
  EXPECT_EQ(avi.audio_title, "Audiostream");
  EXPECT_GE(Colours(expected), 6u);
  EXPECT_TRUE(avi.last_picture == expected) << "picture differs (colours or row order)";
}

TEST_F(VideoRecorder, ZmbvUnderPalFullRateGivesFiftyFramesASecond) {
  Boot(true);
  const VideoCodec* zmbv = FindVideoCodec(FourCc('Z', 'M', 'B', 'V'));
  if (!zmbv) GTEST_SKIP() << "this FFmpeg has no ZMBV encoder";
  VideoRecordOptions options;
  options.codec = zmbv->code;
  std::string path = Path("pal.avi");
  ASSERT_TRUE(OpenVideoRecording(path.c_str(), options));
  Passes(25);
  std::vector<uint8_t> expected = ExpectedPicture(false);
  ASSERT_TRUE(CloseVideoRecording());
  AviContents avi;
  ASSERT_TRUE(ReadAvi(path, &avi));
  EXPECT_EQ(avi.video_codec, AV_CODEC_ID_ZMBV);
  EXPECT_DOUBLE_EQ(avi.frame_rate, 50);
  EXPECT_EQ(avi.video_packets, 25);
  EXPECT_EQ(avi.audio_samples, 13 * 2 * 882);  // two frames on each even pass
  EXPECT_TRUE(avi.last_picture == expected) << "lossless codec changed the picture";
}

TEST_F(VideoRecorder, HalfRateBlurredRecordingTakesEverySecondPass) {
  Boot();
  VideoRecordOptions options;
  options.full_frame_rate = false;
  options.motion_blur = true;
  std::string path = Path("half.avi");
  ASSERT_TRUE(OpenVideoRecording(path.c_str(), options));
  Passes(19);  // pictures on passes 0, 2, ... 18
  std::vector<uint8_t> expected = ExpectedPicture(true);
  ASSERT_TRUE(CloseVideoRecording());
  AviContents avi;
  ASSERT_TRUE(ReadAvi(path, &avi));
  EXPECT_DOUBLE_EQ(avi.frame_rate, 30);
  EXPECT_EQ(avi.video_packets, 10);
  EXPECT_EQ(avi.audio_samples, 10 * 2 * 735);
  EXPECT_TRUE(avi.last_picture == expected) << "not the mean of the last two frames";
}

TEST_F(VideoRecorder, RecordAndStopNameFilesAndReport) {
  Boot();
  UseProgramDirectory();
  static int changes;
  changes = 0;
  VideoRecorderChanged = [] { ++changes; };

  StartVideoRecording(VideoRecordOptions{});
  EXPECT_EQ(LastMessage(), "Started video recording to 'demo.sms.0.avi'.");
  EXPECT_STREQ(StatusText, "Started video recording to 'demo.sms.0.avi'.");
  EXPECT_TRUE(VideoRecording);
  EXPECT_TRUE(AudioVideoRecording);
  EXPECT_STREQ(VideoRecordingName(), "demo.sms.0.avi");
  EXPECT_GT(changes, 0);
  Passes(4);

  StartVideoRecording(VideoRecordOptions{});  // stops the first one
  EXPECT_EQ(LastMessage(1), "Stopped video recording.");
  EXPECT_EQ(LastMessage(), "Started video recording to 'demo.sms.1.avi'.");
  AviContents first;
  ASSERT_TRUE(ReadAvi(Video("demo.sms.0.avi"), &first));
  EXPECT_EQ(first.video_packets, 4);

  int before = changes;
  StopVideoRecording();
  EXPECT_EQ(LastMessage(), "Stopped video recording.");
  EXPECT_FALSE(VideoRecording);
  EXPECT_FALSE(AudioVideoRecording);
  EXPECT_GT(changes, before);
  EXPECT_TRUE(Exists(Video("demo.sms.1.avi")));
  EXPECT_FALSE(Exists(Video("demo.sms.1.avi.tmp")));
  StopVideoRecording();
  EXPECT_EQ(LastMessage(1), "Started video recording to 'demo.sms.1.avi'.");  // no second line

  for (int n = 2; n <= 255; ++n) ASSERT_TRUE(WriteFile(Video("demo.sms." + std::to_string(n) + ".avi"), {0}));
  StartVideoRecording(VideoRecordOptions{});
  EXPECT_EQ(LastMessage(), "Couldn't start video recording.");
  EXPECT_FALSE(VideoRecording);

  ResetMessages();
  std::string name = CartName;
  CartName.clear();
  StartVideoRecording(VideoRecordOptions{});
  CartName = name;
  EXPECT_EQ(LastMessage(), "");
}

TEST_F(VideoRecorder, FailedStartReportsAndLeavesNothingRunning) {
  Boot();
  SetProgramDirectory(folder_);
  ASSERT_TRUE(WriteFile(Path("Videos"), {1}));  // a file where the folder should be
  testing::internal::CaptureStdout();
  StartVideoRecording(VideoRecordOptions{});
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(LastMessage(), "Couldn't start video recording to 'demo.sms.0.avi'.");
  EXPECT_NE(printed.find("avio_open(): Not a directory"), std::string::npos) << printed;
  EXPECT_FALSE(VideoRecording);
  EXPECT_FALSE(AudioVideoRecording);
  EXPECT_STREQ(VideoRecordingName(), "");
  Passes(2);  // capturing without a recording does nothing
  EXPECT_FALSE(CloseVideoRecording());
}

TEST_F(VideoRecorder, FileThatCannotGrowStopsTheRecordingNotTheEmulation) {
  Boot();
  UseProgramDirectory();
  StartVideoRecording(VideoRecordOptions{});
  ASSERT_TRUE(VideoRecording);
  // Writing past the limit fails as a full disk does.
  struct rlimit old_limit, limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  limit = old_limit;
  limit.rlim_cur = 1 << 20;
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  testing::internal::CaptureStdout();
  Passes(30);  // about 147 KB a picture
  std::string printed = testing::internal::GetCapturedStdout();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(VideoRecording);
  EXPECT_FALSE(AudioVideoRecording);
  EXPECT_EQ(LastMessage(1), "Couldn't write video recording to 'demo.sms.0.avi'.");
  EXPECT_EQ(LastMessage(), "Stopped video recording.");
  EXPECT_NE(printed.find("(): File too large"), std::string::npos) << printed;
  EXPECT_TRUE(Exists(Video("demo.sms.0.avi")));  // what was written is kept
  EXPECT_FALSE(Exists(Video("demo.sms.0.avi.tmp")));
  Passes(3);
  EXPECT_EQ(LastMessage(), "Stopped video recording.");  // reported once
}

// The loader pointed at a library that is not there, as on a system without
// FFmpeg's runtime libraries.
class VideoRecorderWithoutFFmpeg : public VideoRecorder {
 protected:
  void SetUp() override {
    VideoRecorder::SetUp();
    ResetFFmpegLibrary();
    FFmpegLibraryNames[2] = "libtavo-missing-avformat.so.0";
    ResetVideoCodecs();
  }
  void TearDown() override {
    ResetFFmpegLibrary();
    ResetVideoCodecs();
    VideoRecorder::TearDown();
  }
};

TEST_F(VideoRecorderWithoutFFmpeg, ListHoldsUncompressedAndRecordFailsCleanly) {
  Boot();
  UseProgramDirectory();
  ASSERT_EQ(VideoCodecCount(), 1);
  EXPECT_EQ(VideoCodecAt(0)->code, UncompressedCode);
  for (uint32_t code : {UncompressedCode, FourCc('Z', 'M', 'B', 'V')}) {
    VideoRecordOptions options;
    options.codec = code;
    testing::internal::CaptureStdout();
    StartVideoRecording(options);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("dlopen(): libtavo-missing-avformat.so.0: cannot open shared object file"),
              std::string::npos)
        << printed;
    EXPECT_EQ(LastMessage(), "Couldn't start video recording to 'demo.sms.0.avi'.");
    EXPECT_FALSE(VideoRecording);
    EXPECT_FALSE(AudioVideoRecording);
    EXPECT_FALSE(Exists(Video("demo.sms.0.avi")));
    EXPECT_FALSE(Exists(Video("demo.sms.0.avi.tmp")));
  }
  Passes(2);
  EXPECT_FALSE(CloseVideoRecording());
}

}  // namespace

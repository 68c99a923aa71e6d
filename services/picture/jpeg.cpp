// JPEG through libjpeg: every file libjpeg reads (baseline, progressive,
// arithmetic, greyscale, CMYK/YCCK), at its full frame size, no scaling.
// Limits: the picture limits of image.h, at most kMaxJpegScans scans and
// kMaxJpegMemory bytes of libjpeg's own working memory.
//
// A file that ends before the decoder is done is fed end-of-image markers, so
// a truncated JPEG decodes at its full size with the missing part filled in by
// the decoder. Any libjpeg error abandons the decode; warnings are ignored.
//
// Colours: greyscale gives equal blue, green and red. Four-component files
// (CMYK, and YCCK which libjpeg turns into CMYK) are shown as a reader expects
// them: when the file carries an Adobe APP14 marker the samples are stored
// inverted (Photoshop's habit) and red = C * K / 255; without it they are
// plain inks and red = (255 - C) * (255 - K) / 255; green and blue likewise.
// Any other component count gives no picture.
// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

namespace {

// libjpeg-turbo's own fuzzers stop at 500 scans; an ordinary progressive file
// has about ten. Past the limit a crafted file only burns time.
constexpr int kMaxJpegScans = 500;
// Enough for the whole-image coefficient buffer of a progressive picture at
// the pixel limit with full-resolution colour (2^26 pixels x 3 x 2 bytes).
constexpr long kMaxJpegMemory = 512L * 1024 * 1024;
constexpr std::size_t kChunk = 4096;

struct MemorySource {
  jpeg_source_mgr pub;  // first: libjpeg hands back a pointer to it
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
  if (source->position < source->size) {
    std::size_t count = source->size - source->position;
    if (count > kChunk) count = kChunk;
    source->pub.next_input_byte = source->data + source->position;
    source->pub.bytes_in_buffer = count;
    source->position += count;
  } else {
    // Out of bytes before the decoder is done: pretend the file ends here.
    source->pub.next_input_byte = kEndOfImage;
    source->pub.bytes_in_buffer = sizeof kEndOfImage;
  }
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
  std::size_t remaining = static_cast<std::size_t>(count);
  while (remaining > source->pub.bytes_in_buffer) {
    remaining -= source->pub.bytes_in_buffer;
    FillInputBuffer(cinfo);
    // Once the file is used up, the end marker stands for whatever was skipped.
    if (source->pub.next_input_byte == kEndOfImage) return;
  }
  source->pub.next_input_byte += remaining;
  source->pub.bytes_in_buffer -= remaining;
}

struct SilentErrors {
  jpeg_error_mgr pub;  // first: libjpeg hands back a pointer to it
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<SilentErrors*>(cinfo->err);
  std::longjmp(errors->jump, 1);
}
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    ErrorExit(cinfo);
  }
}

std::uint8_t Ink(unsigned a, unsigned b) { return static_cast<std::uint8_t>(a * b / 255); }

void ConvertRow(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, int components,
                bool invertedInks) {
  std::uint8_t* const end = out + static_cast<std::size_t>(width) * 4;
  switch (components) {
    case 1:
      for (; out != end; out += 4, in += 1) {
        out[0] = out[1] = out[2] = in[0];
        out[3] = 255;
      }
      break;
    default:
      for (; out != end; out += 4, in += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!invertedInks) {
          c = 255 - c;
          m = 255 - m;
          y = 255 - y;
          k = 255 - k;
        }
        out[0] = Ink(y, k);
        out[1] = Ink(m, k);
        out[2] = Ink(c, k);
        out[3] = 255;
      }
      break;
  }
}

// What a decode gives: the picture, or for a measurement only its size, the
// rows all going through one scratch row and nothing else kept.
struct Output {
  bool keepPixels = true;
  std::optional<Image>* picture = nullptr;  // when keepPixels
  std::int32_t width = 0, height = 0;
};

// Holds only plain data, so leaving it by longjmp skips no destructor; the
// picture it fills lives in the caller's frame.
bool RunDecoder(jpeg_decompress_struct* cinfo, SilentErrors* errors, jpeg_progress_mgr* progress,
                MemorySource* source, Output* output) {
  if (setjmp(errors->jump) != 0) return false;

  jpeg_create_decompress(cinfo);  // clears everything but the error manager
  cinfo->mem->max_memory_to_use = kMaxJpegMemory;
  cinfo->progress = progress;
  cinfo->src = &source->pub;
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;

  // Colour pictures come out of libjpeg as BGRA rows, straight into the
  // picture; the other layouts go through a row of their own and ConvertRow.
  const bool colour = cinfo->num_components == 3 &&
                      (cinfo->jpeg_color_space == JCS_YCbCr || cinfo->jpeg_color_space == JCS_RGB);
  if (colour) cinfo->out_color_space = JCS_EXT_BGRA;
  jpeg_calc_output_dimensions(cinfo);
  int components = cinfo->output_components;
  if (colour ? components != 4 : components != 1 && components != 4) return false;
  if (cinfo->output_width > static_cast<JDIMENSION>(kMaxPictureSide) ||
      cinfo->output_height > static_cast<JDIMENSION>(kMaxPictureSide)) {
    return false;
  }
  output->width = static_cast<std::int32_t>(cinfo->output_width);
  output->height = static_cast<std::int32_t>(cinfo->output_height);
  // The pixel limit is checked before libjpeg allocates its own buffers for
  // the picture. Every row is written below, or the picture is dropped, so it
  // need not be cleared.
  if (!output->keepPixels) {
    if (!WithinPictureLimits(output->width, output->height)) return false;
  } else {
    *output->picture = AllocateImage(output->width, output->height, PixelFill::None);
    if (!output->picture->has_value()) return false;
  }

  if (!jpeg_start_decompress(cinfo)) return false;
  const JDIMENSION rowSamples = cinfo->output_width * static_cast<JDIMENSION>(components);
  JSAMPARRAY scratch = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                   JPOOL_IMAGE, rowSamples, 1);
  if (colour || !output->keepPixels) {
    constexpr JDIMENSION kRowsPerCall = 16;
    JSAMPROW rows[kRowsPerCall];
    while (cinfo->output_scanline < cinfo->output_height) {
      const JDIMENSION first = cinfo->output_scanline;
      JDIMENSION count = cinfo->output_height - first;
      if (count > kRowsPerCall) count = kRowsPerCall;
      for (JDIMENSION i = 0; i < count; ++i) {
        rows[i] = output->keepPixels ? (*output->picture)->Row(static_cast<std::int32_t>(first + i))
                                     : scratch[0];
      }
      if (jpeg_read_scanlines(cinfo, rows, count) == 0) return false;
    }
  } else {
    Image& image = **output->picture;
    bool invertedInks = cinfo->saw_Adobe_marker != 0;
    while (cinfo->output_scanline < cinfo->output_height) {
      JDIMENSION y = cinfo->output_scanline;
      if (jpeg_read_scanlines(cinfo, scratch, 1) != 1) return false;
      ConvertRow(scratch[0], image.Row(static_cast<std::int32_t>(y)), cinfo->output_width,
                 components, invertedInks);
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

bool Decode(Bytes bytes, Output* output) {
  if (bytes.size() < 2) return false;

  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  SilentErrors errors;
  std::memset(&errors, 0, sizeof errors);
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = ErrorExit;
  errors.pub.emit_message = EmitMessage;
  errors.pub.output_message = OutputMessage;
  cinfo.err = &errors.pub;

  jpeg_progress_mgr progress;
  std::memset(&progress, 0, sizeof progress);
  progress.progress_monitor = ProgressMonitor;

  MemorySource source;
  std::memset(&source, 0, sizeof source);
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillInputBuffer;
  source.pub.skip_input_data = SkipInputData;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  source.data = bytes.data();
  source.size = bytes.size();

  bool decoded = RunDecoder(&cinfo, &errors, &progress, &source, output);
  // Safe after an error at any point, also before the decoder was created
  // (the memory manager pointer is still null then).
  jpeg_destroy_decompress(&cinfo);
  return decoded;
}

}  // namespace

std::optional<Image> DecodeJpeg(Bytes bytes) {
  std::optional<Image> picture;
  Output output;
  output.picture = &picture;
  if (!Decode(bytes, &output)) return std::nullopt;
  return picture;
}

std::optional<PictureSize> MeasureJpeg(Bytes bytes) {
  Output output;
  output.keepPixels = false;
  if (!Decode(bytes, &output)) return std::nullopt;
  return PictureSize{output.width, output.height};
}

#include "DialogFont.h"

#include "UiText.h"

namespace kf {

namespace {

// The font's height at 96 DPI, in pixels.
constexpr int kFontHeight = 12;

}  // namespace

int ScreenDpi() {
  const ClientDC screen(nullptr);
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

GdiObject CreateDialogFont(int dpi, int averageWidth) {
  LOGFONTA font = {};
  font.lfWeight = FW_NORMAL;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (CurrentUiLanguage() == UiLanguage::Japanese) {
    font.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(font.lfFaceName, "MS PGothic", LF_FACESIZE);
  } else if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The face the system's own dialogs and message boxes use.
    font.lfCharSet = metrics.lfMessageFont.lfCharSet;
    font.lfQuality = metrics.lfMessageFont.lfQuality;
    lstrcpynA(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
  } else {
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, "MS Shell Dlg 2", LF_FACESIZE);
  }
  // The layout is drawn for this height, whatever the face.
  font.lfHeight = -Scale(kFontHeight, dpi);
  font.lfWidth = averageWidth;
  return GdiObject(CreateFontIndirectA(&font));
}

}  // namespace kf

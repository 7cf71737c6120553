// Where each window of the full-screen view goes, for the four layouts:
// plain, with a horizontal scroll bar, with a vertical one, with both.
#ifndef VOK_TERM_GEOMETRY_H
#define VOK_TERM_GEOMETRY_H

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // inclusive
  int height = 0, width = 0;                      // 0: hidden
};

enum WindowId {
  kHyperWindow = 1, kTitleLine = 2, kStatusLine = 3, kHScrollBar = 4, kVScrollBar = 5,
  kScrollBox = 6, kMarkerBar = 7
};

class NCGeometryManagerBase {
 public:
  explicit NCGeometryManagerBase(int mode) : layoutMode(mode) {}
  virtual void computeRect(int id, WindowRect &r) = 0;
  virtual ~NCGeometryManagerBase() = default;
  int layoutMode;
};

class zqGeometryManager : public NCGeometryManagerBase {
 public:
  // Without scroll bars every mode lays the windows out as the plain one.
  zqGeometryManager(int mode, bool scrollBars)
      : NCGeometryManagerBase(mode), scrollBars_(scrollBars) {}
  // Uses LINES and COLS.
  void computeRect(int id, WindowRect &r) override;

 private:
  const bool scrollBars_;
};

// The layout table itself: window id in mode on a lines x cols screen; the
// plain layout when scroll bars are off. An unknown id leaves r unchanged.
void layoutRect(int id, int mode, bool scrollBars, int lines, int cols, WindowRect &r);

#endif

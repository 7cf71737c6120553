// The main window of the full-screen view: shows a document, keeps one link
// highlighted, moves the highlight with the keys of three key sets and the
// mouse, scrolls and pans, and acts on the selected link. The laid-out rows
// stay in a HyperPad and only the visible part is drawn into a curses
// window of the window's size, so documents of any length can be shown.
#ifndef VOK_HYPER_HYPER_WINDOW_H
#define VOK_HYPER_HYPER_WINDOW_H

#include <memory>
#include <string>
#include <vector>

#include "hyper/document.h"
#include "term/bars.h"
#include "term/status.h"
#include "term/window.h"

class HyperWindow : public NCWindowBase {
 public:
  // Lays the document out, shows its title and highlights the first link
  // at or after the anchor (the first link when it is empty). With known
  // rows and columns both positive, that size is taken instead of measuring.
  // Throws ErrorGenericSyntax when the document has no links or lacks the
  // anchor.
  HyperWindow(NCScreenManager &manager, int id, HyperDocument &document,
              StatusWindowBase &titleLine, StatusWindowBase &statusLine,
              ScrollBarBase &hbar, ScrollBarBase &vbar, const std::string &anchorName,
              int knownRows, int knownCols);

  void resize() override;
  void refresh() override;
  void placeCursor() override;
  void processKey(int key) override;
  void processMouse(MEVENT &event) override;
  void create() override;
  void run() override;
  // What selecting a link leads to; this base follows nothing.
  virtual HyperLink followLink(HyperLink &link);

  // Movements, each ending with the highlight redrawn (where one moves).
  void down() {
    if (stepVertically(true)) finish();
  }
  void up() {
    if (stepVertically(false)) finish();
  }
  void previousLink() {
    if (stepLink(false)) finish();
  }
  void nextLink() {
    if (stepLink(true)) finish();
  }
  void firstLink();
  void lastLink();
  void lineEdge(bool end);  // the first or last link starting on the row
  void pageDown(long lines) {
    if (stepPageDown(lines)) finish();
  }
  void pageUp(long lines) {
    if (stepPageUp(lines)) finish();
  }
  void pan(bool rightward);
  void centre();
  void scrollForward(long lines);  // vi ^E
  void scrollBack(long lines);     // vi ^Y
  // Acts on the current link when the highlight lies in it.
  void select();

  // Makes a link current as a search match shows it, then redraws.
  void showMatch(size_t link);
  // The highlight: recomputed from its position, painted, and its target
  // shown on the status line.
  void redraw();
  // redraw, then the terminal cursor and the screen update.
  void finish();

  zqMarkerBar marker;
  HyperDocument *document;
  StatusWindowBase *titleLine;
  StatusWindowBase *statusLine;
  ScrollBarBase *hbar, *vbar;
  int padWidth = 0;
  HyperLink followResult;
  std::unique_ptr<HyperLink> chosenLink;  // the link acted on when the loop ended
  long highlighted = -1;
  size_t current = 0;
  int cursorRow = 0, cursorCol = 0;
  int top = 0, left = 0;
  std::string anchorName;
  bool gPending = false, zPending = false, countActive = false;
  long count = 1;
  bool metaPending = false;

 protected:
  // Positions at anchorName as a jump does; hides the cursor when asked.
  // Throws ErrorGenericSyntax when there are no links or no such anchor.
  void jumpToAnchor(bool hideCursor);
  void endLoop() { manager->pushInputWindow(nullptr); }
  bool commonKey(int key);
  void viKey(int key);
  void emacsKey(int key);
  void resetVi();

 private:
  struct HighlightRow {
    long row;
    int from;                    // column of the first slot
    std::vector<uint8_t> slots;  // the highlighted attribute of each cell
  };

  int rows() const { return rect.height; }
  int cols() const { return rect.width; }
  int maxTop() const { return std::max(document->rows, rows()) - rows(); }
  int maxLeft() const { return std::max(document->cols, cols()) - cols(); }

  // The movements without the redraw; false when nothing moved.
  bool stepVertically(bool downward);
  bool stepLink(bool forward);
  bool stepPageDown(long lines);
  bool stepPageUp(long lines);
  bool stepDown(long) { return stepVertically(true); }
  bool stepUp(long) { return stepVertically(false); }
  bool stepNext(long) { return stepLink(true); }
  bool stepPrevious(long) { return stepLink(false); }
  void repeat(long times, bool (HyperWindow::*step)(long), long argument);
  long verticalTarget(bool downward) const;

  // The rule that shows a new current link, moving down (or forward) or up
  // (or back), and its horizontal part alone.
  void moveTo(size_t link, bool forward);
  void horizontalRule();
  // After a page movement: the link shown with the least scrolling.
  void madeVisible(bool afterPageDown);
  void showCentred();

  bool highlightInside(size_t link) const;
  // The link holding the highlight position, searched from `current`, which
  // follows the search; -1 when the position lies between links.
  long linkAtHighlight();
  std::vector<HighlightRow> highlightRows() const;
  void paint();

  std::unique_ptr<HyperPad> pad_;
};

#endif

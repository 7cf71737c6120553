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
#include "hyper/viewport.h"
#include "term/bars.h"
#include "term/status.h"
#include "term/window.h"

class HyperWindow : public NCWindowBase {
 public:
  // Lays the document out, shows its title and highlights the first link
  // at or after the anchor (the first link when it is empty). Throws
  // ErrorGenericSyntax when the document has no links or lacks the anchor.
  HyperWindow(NCScreenManager &screen, int windowId, HyperDocument &doc,
              StatusWindowBase &title, StatusWindowBase &status,
              ScrollBarBase &horizontal, ScrollBarBase &vertical,
              const std::string &anchor);
  ~HyperWindow() override;

  void resize() override;
  void refresh() override;
  void placeCursor() override;
  void processKey(int key) override;
  void processMouse(MEVENT &event) override;
  void create() override;
  void run() override;
  // What selecting a link leads to; this base follows nothing.
  virtual HyperLink followLink(HyperLink &link);

  // The movements of the keys, each ending with the screen updated.
  enum class Step { Down, Up, Next, Previous, PageDown, PageUp };
  // One step; the screen is updated only when something moved.
  void move(Step step, long lines = 0);
  // A counted movement (vi): stops early where it can go no further.
  void repeat(Step step, long times, long lines = 0);
  void firstLink();
  void lastLink();
  void lineEdge(bool end);  // the first or last link starting on the row
  void pan(bool rightward);
  void centre();
  void scrollForward(long lines);  // vi ^E
  void scrollBack(long lines);     // vi ^Y
  void nextStatusPage();
  void repaint();
  // Acts on the current link when the highlight lies in it.
  void select();
  // Ends the display without a choice.
  void quit() { endLoop(); }
  int pageLines() const { return rect.height - 1; }

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
  HyperLink followResult;
  std::unique_ptr<HyperLink> chosenLink;  // the link acted on when the loop ended
  long highlighted = -1;
  Viewport view;
  std::string anchorName;
  // Key state between keys: vi's count and pending g or Z, emacs's ESC.
  bool gPending = false, zPending = false, countActive = false;
  long count = 1;
  bool metaPending = false;

  // A row of the highlighted link, for painting.
  struct HighlightRow {
    long row;
    int from;                    // column of the first slot
    std::vector<uint8_t> slots;  // the highlighted attribute of each cell
  };

 protected:
  // Positions at anchorName as a jump does; hides the cursor when asked.
  // Throws ErrorGenericSyntax when there are no links or no such anchor.
  void jumpToAnchor(bool hideCursor);
  void endLoop() { manager->endEventLoop(); }
  void viKey(int key);
  void emacsKey(int key);
  void resetVi();

 private:
  // The viewport with the window's and the document's present sizes.
  Viewport &sized();
  bool step(Step step, long lines);
  bool highlightInside(size_t link) const;
  // The link at a screen cell, or -1; searched from the current link.
  long linkAt(const MEVENT &event) const;
  void clickLink(size_t link, const MEVENT &event);
  // The link holding the highlight position, searched from the current one,
  // which follows the search; -1 when the position lies between links.
  long linkAtHighlight();
  std::vector<HighlightRow> highlightRows() const;
  void paint();
  void paintRow(int r, const std::vector<HighlightRow> &lit, std::vector<chtype> &line);
  void paintWideRow(int r, const std::vector<HighlightRow> &lit);
  void layOut();

  bool laidOut_ = false;  // the windows are made for the document
  bool layingOut_ = false;
  long pressedLink_ = -1;  // where button 1 went down, for its release
};

#endif

#pragma once

#include <functional>
#include <optional>

namespace desktop {

// The rolling credits of the launcher, in twips, apart from any widget so that its timing can be
// driven tick by tick. The strip rolls up 10 twips a tick in 50-point bold until it has left the
// panel, then once more in 18-point bold, and comes to rest at the first top below 1755 twips.
class CreditsRoll {
public:
    struct Size {
        int width;
        int height;
    };
    // Size in twips of the whole credits text in a bold font of the given point size.
    using Measure = std::function<Size(int pointSize)>;

    static constexpr int kFirstPassPt = 50;
    static constexpr int kSecondPassPt = 18;
    static constexpr int kStepTwips = 10;
    static constexpr int kRestAboveTwips = 1755;
    static constexpr int kIntervalMs = 10;

    CreditsRoll(int panelWidthTwips, int panelHeightTwips, Measure measure);

    // Set-up at load: first pass font, strip sized and placed below the panel, counter 0, running.
    // The text is measured when its size or place is first asked for (the first tick at the
    // latest), not here: the strip starts out of sight, and the launcher opens without waiting for
    // the 50-point glyphs.
    void start();
    // One timer tick. Returns true while the roll goes on, false once it has stopped.
    bool tick();

    int left() const { return measured().left; }
    int top() const { return top_; }
    int width() const { return measured().size.width; }
    int height() const { return measured().size.height; }
    int pointSize() const { return pointSize_; }
    int passes() const { return passes_; }
    bool running() const { return running_; }

private:
    struct Layout {
        Size size;
        int left;
    };
    void layOut();
    // The text's size in the current font, and its left edge, measured once per pass.
    const Layout& measured() const;

    int panelWidth_;
    int panelHeight_;
    Measure measure_;
    mutable std::optional<Layout> layout_;
    int top_ = 0;
    int pointSize_ = kFirstPassPt;
    int passes_ = 0;
    bool running_ = false;
};

}  // namespace desktop

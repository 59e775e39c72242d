#include "frame/placement_rules.h"

#include <algorithm>
#include <climits>

namespace frame {

namespace {

using platform::Rect;

// Numbers longer than this are kept at it: far beyond any screen, still far from overflowing.
constexpr long long kSaturated = 1'000'000'000'000'000LL;

struct Point {
    long long x = 0, y = 0;
};

// The middle of the caption bar, which spans the captionHeight rows right above the client area.
Point CaptionMiddle(long long left, long long top, long long width, int captionHeight) noexcept {
    return Point{left + width / 2, top - (captionHeight + 1) / 2};
}

bool OnSomeMonitor(const Point& p, const Desktop& desktop) noexcept {
    return std::any_of(desktop.monitors.begin(), desktop.monitors.end(), [&](const Rect& m) {
        return p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom;
    });
}

// Some monitor spans the point's column: moving it up or down alone would bring it onto that monitor.
bool InSomeMonitorsColumn(const Point& p, const Desktop& desktop) noexcept {
    return std::any_of(desktop.monitors.begin(), desktop.monitors.end(),
                       [&](const Rect& m) { return p.x >= m.left && p.x < m.right; });
}

bool FitsInInt(long long value) noexcept {
    return value >= INT_MIN && value <= INT_MAX;
}

bool InRange(long long value, int lowest, int highest) noexcept {
    return value >= lowest && value <= highest;
}

int Saturated(long long value) noexcept {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

long long Overlap(const Rect& a, const Rect& b) noexcept {
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// How far apart two rectangles are (0 where they touch or overlap), squared.
long long DistanceSquared(const Rect& a, const Rect& b) noexcept {
    const long long dx = std::max<long long>(
        {0, static_cast<long long>(b.left) - a.right, static_cast<long long>(a.left) - b.right});
    const long long dy = std::max<long long>(
        {0, static_cast<long long>(b.top) - a.bottom, static_cast<long long>(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

// The monitor the system takes a window's scale from: the one it overlaps most (the first of equals), else
// the nearest.
std::size_t MonitorTakenBy(const Rect& window, const std::vector<MonitorScale>& scales) noexcept {
    std::size_t best = 0;
    long long most = 0, nearest = -1;
    for (std::size_t i = 0; i < scales.size(); ++i) {
        const long long overlap = Overlap(window, scales[i].rect);
        if (overlap > most) {
            most = overlap;
            best = i;
        }
    }
    if (most > 0)
        return best;
    for (std::size_t i = 0; i < scales.size(); ++i) {
        const long long d = DistanceSquared(window, scales[i].rect);
        if (nearest < 0 || d < nearest) {
            nearest = d;
            best = i;
        }
    }
    return best;
}

// One step of a size: it never crosses a limit it has not crossed already.
int StepSize(int size, int step, int smallest, int largest) noexcept {
    if (step < 0)
        return std::max(size + step, std::min(size, smallest));
    if (step > 0)
        return std::min(size + step, std::max(size, largest));
    return size;
}

std::optional<std::int32_t> StoredDword(const StoredValue& value) noexcept {
    if (!value.present || value.type != kRegDword || value.size != sizeof(std::uint32_t))
        return std::nullopt;
    return static_cast<std::int32_t>(value.data);
}

const wchar_t* FieldName(PlacementField field) noexcept {
    switch (field) {
    case PlacementField::X: return L"X ";
    case PlacementField::Y: return L"Y ";
    case PlacementField::Width: return L"幅";
    case PlacementField::Height: return L"高さ";
    }
    return L"";
}

} // namespace

bool CaptionOnMonitor(const Rect& client, const Desktop& desktop) noexcept {
    return OnSomeMonitor(CaptionMiddle(client.left, client.top, client.Width(), desktop.captionHeight),
                         desktop);
}

// A monitor whose own margins make a window that takes its scale; the client area's own monitor where none
// does (the scales then disagree wherever the window is put).
const MonitorScale* ScaleWhere(const Rect& client, const Desktop& desktop) noexcept {
    const std::vector<MonitorScale>& scales = desktop.scales;
    if (scales.empty())
        return nullptr;
    const std::size_t own = MonitorTakenBy(client, scales);
    if (MonitorTakenBy(platform::Outset(client, scales[own].margins), scales) == own)
        return &scales[own];
    for (std::size_t i = 0; i < scales.size(); ++i)
        if (MonitorTakenBy(platform::Outset(client, scales[i].margins), scales) == i)
            return &scales[i];
    return &scales[own];
}

SizeLimits LimitsWhere(const Rect& client, const Desktop& desktop) noexcept {
    if (const MonitorScale* scale = ScaleWhere(client, desktop))
        return {scale->smallestClient, scale->largestClient};
    return {desktop.smallestClient, desktop.largestClient};
}

Rect FrameWindowFor(const Rect& client, const Desktop& desktop, const Rect& present) noexcept {
    const MonitorScale* scale = ScaleWhere(client, desktop);
    return platform::Outset(client, scale ? scale->margins : present);
}

std::optional<long long> ParseWholeNumber(std::wstring_view text) noexcept {
    auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u3000'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty()) {
        const wchar_t sign = text.front();
        if (sign == L'-' || sign == L'\uFF0D' || sign == L'\u2212')
            negative = true;
        if (negative || sign == L'+' || sign == L'\uFF0B')
            text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (const wchar_t c : text) {
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'\uFF10' && c <= L'\uFF19')
            digit = c - L'\uFF10';
        else
            return std::nullopt;
        value = std::min(value * 10 + digit, kSaturated);
    }
    return negative ? -value : value;
}

PlacementCheck CheckPlacement(const PlacementFields& typed, const Rect& current, bool pictureHeld,
                              const Desktop& desktop) {
    PlacementCheck check;
    auto problem = [&check](PlacementProblem p, PlacementField field) {
        check.problem = p;
        check.field = field;
        return check;
    };
    const std::optional<long long> x = ParseWholeNumber(typed.x);
    if (!x)
        return problem(PlacementProblem::NotWholeNumber, PlacementField::X);
    const std::optional<long long> y = ParseWholeNumber(typed.y);
    if (!y)
        return problem(PlacementProblem::NotWholeNumber, PlacementField::Y);
    long long width = current.Width(), height = current.Height();
    if (!pictureHeld) {
        const std::optional<long long> w = ParseWholeNumber(typed.width);
        if (!w)
            return problem(PlacementProblem::NotWholeNumber, PlacementField::Width);
        const std::optional<long long> h = ParseWholeNumber(typed.height);
        if (!h)
            return problem(PlacementProblem::NotWholeNumber, PlacementField::Height);
        check.limits =
            LimitsWhere(Rect{Saturated(*x), Saturated(*y), Saturated(*x + *w), Saturated(*y + *h)}, desktop);
        if (!InRange(*w, check.limits.smallest.width, check.limits.largest.width))
            return problem(PlacementProblem::SizeOutOfRange, PlacementField::Width);
        if (!InRange(*h, check.limits.smallest.height, check.limits.largest.height))
            return problem(PlacementProblem::SizeOutOfRange, PlacementField::Height);
        width = *w;
        height = *h;
    }
    const Point caption = CaptionMiddle(*x, *y, width, desktop.captionHeight);
    if (!FitsInInt(*x + width) || !FitsInInt(*y + height) || !OnSomeMonitor(caption, desktop)) {
        const bool yAlone = InSomeMonitorsColumn(caption, desktop);
        return problem(PlacementProblem::CaptionOffMonitor, yAlone ? PlacementField::Y : PlacementField::X);
    }
    check.client = Rect{static_cast<int>(*x), static_cast<int>(*y), static_cast<int>(*x + width),
                        static_cast<int>(*y + height)};
    return check;
}

std::wstring PlacementMessage(const PlacementCheck& check) {
    switch (check.problem) {
    case PlacementProblem::None: return L"";
    case PlacementProblem::NotWholeNumber:
        return std::wstring(FieldName(check.field)) + L"には整数を入力してください。";
    case PlacementProblem::SizeOutOfRange: {
        const bool width = check.field == PlacementField::Width;
        const int lowest = width ? check.limits.smallest.width : check.limits.smallest.height;
        const int highest = width ? check.limits.largest.width : check.limits.largest.height;
        return std::wstring(FieldName(check.field)) + L"は " + std::to_wstring(lowest) + L" から " +
               std::to_wstring(highest) + L" までの整数で指定してください。";
    }
    case PlacementProblem::CaptionOffMonitor:
        return L"この位置ではタイトル バーがどの画面にも入らず、枠をつかめなくなります。";
    }
    return L"";
}

const std::vector<Size>& CommonSizes() {
    static const std::vector<Size> sizes{{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                                         {1280, 1024}, {1366, 768}, {1600, 900}, {1920, 1080}};
    return sizes;
}

std::wstring SizeText(const Size& size) {
    return std::to_wstring(size.width) + L" x " + std::to_wstring(size.height);
}

std::optional<KeyChange> ChangeForKey(unsigned int virtualKey, bool shift, bool ctrl) noexcept {
    int along = 0, across = 0; // direction on x and on y
    switch (virtualKey) {
    case kVkLeft: along = -1; break;
    case kVkRight: along = 1; break;
    case kVkUp: across = -1; break;
    case kVkDown: across = 1; break;
    default: return std::nullopt;
    }
    const int step = shift ? 10 : 1;
    KeyChange change;
    if (ctrl) {
        change.dw = along * step;
        change.dh = across * step;
    } else {
        change.dx = along * step;
        change.dy = across * step;
    }
    return change;
}

Rect ApplyKeyChange(const Rect& client, const KeyChange& change, bool pictureHeld,
                    const Desktop& desktop) noexcept {
    int width = client.Width(), height = client.Height();
    if (!pictureHeld) {
        width = StepSize(width, change.dw, desktop.smallestClient.width, desktop.largestClient.width);
        height = StepSize(height, change.dh, desktop.smallestClient.height, desktop.largestClient.height);
    }
    const int left = client.left + change.dx, top = client.top + change.dy;
    return Rect{left, top, left + width, top + height};
}

RestoredFrame CheckStoredFrame(const StoredFrame& stored, const Desktop& desktop) noexcept {
    RestoredFrame restored;
    const auto side = StoredDword(stored.rightPos);
    if (side && (*side == 0 || *side == 1))
        restored.rightPos = *side == 1;

    const auto left = StoredDword(stored.left), top = StoredDword(stored.top);
    const auto width = StoredDword(stored.width), height = StoredDword(stored.height);
    if (!left || !top || !width || !height)
        return restored;
    const long long rightEdge = static_cast<long long>(*left) + *width;
    const long long bottom = static_cast<long long>(*top) + *height;
    if (!FitsInInt(rightEdge) || !FitsInInt(bottom))
        return restored;
    const Rect client{*left, *top, static_cast<int>(rightEdge), static_cast<int>(bottom)};
    const SizeLimits limits = LimitsWhere(client, desktop);
    if (!InRange(*width, limits.smallest.width, limits.largest.width) ||
        !InRange(*height, limits.smallest.height, limits.largest.height))
        return restored;
    if (CaptionOnMonitor(client, desktop))
        restored.client = client;
    return restored;
}

} // namespace frame

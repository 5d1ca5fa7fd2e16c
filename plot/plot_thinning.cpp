// Four points per pixel column and pass, in sample order, and no segment
// drawn twice.
#include "plot/plot_thinning.h"

#include <algorithm>
#include <cmath>

namespace {

// A key no segment packs to, marking a free slot.
constexpr unsigned long long FREE = ~0ULL;

// A coordinate rounded to a whole pixel, in 16 bits: far outside any canvas
// every coordinate is one.
unsigned long long Packed(float value)
{
    // Shifted to be positive, so that truncation rounds down: the nearest
    // whole pixel without a call into the C library.
    const int rounded = static_cast<int>(std::clamp(value, -32768.0f, 32767.0f) + 32768.5f) - 32768;
    return static_cast<unsigned long long>(static_cast<unsigned short>(static_cast<short>(rounded)));
}

unsigned long long PointKey(const PlotPixel& at)
{
    return (Packed(at.x) << 16) | Packed(at.y);
}

std::size_t SlotOf(unsigned long long key, std::size_t mask)
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 20) & mask;
}

}  // namespace

bool CSegmentSet::Insert(const PlotPixel& a, const PlotPixel& b)
{
    unsigned long long first = PointKey(a);
    unsigned long long second = PointKey(b);
    if (second < first) {
        std::swap(first, second);
    }
    const unsigned long long key = (first << 32) | second;
    if (key == FREE) {
        const bool added = !m_hasEmptyKey;
        m_hasEmptyKey = true;
        return added;
    }
    const bool full = m_count >= MOST_SEGMENTS;
    if (!full && (m_count + 1) * 2 > m_slots.size()) {
        Grow();
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = SlotOf(key, mask);; slot = (slot + 1) & mask) {
        if (m_slots[slot] == key) {
            return false;
        }
        if (m_slots[slot] == FREE) {
            if (!full) {
                m_slots[slot] = key;
                ++m_count;
            }
            return true;
        }
    }
}

void CSegmentSet::Grow()
{
    std::vector<unsigned long long> old(std::max<std::size_t>(m_slots.size() * 2, 1024), FREE);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (unsigned long long key : old) {
        if (key != FREE) {
            std::size_t slot = SlotOf(key, mask);
            while (m_slots[slot] != FREE) {
                slot = (slot + 1) & mask;
            }
            m_slots[slot] = key;
        }
    }
}

void CPixelThinner::Add(float x, float y, std::uint32_t sample)
{
    ++m_out.pointsIn;
    // Rounded down without a call into the C library.
    long long column = static_cast<long long>(x);
    column -= static_cast<float>(column) > x ? 1 : 0;
    const Kept point{sample, {x, y}};
    if (!m_inRun) {
        ++m_out.passes;
        m_inRun = true;
        m_direction = 0;
    } else if (column == m_column) {
        m_last = point;
        if (y < m_lowest.at.y) {
            m_lowest = point;
        }
        if (y > m_highest.at.y) {
            m_highest = point;
        }
        return;
    } else {
        EmitColumn();
        const int direction = column > m_column ? 1 : -1;
        if (m_direction != 0 && direction != m_direction) {
            ++m_out.passes;  // the line turns back over columns it has drawn
        }
        m_direction = direction;
    }
    m_column = column;
    m_first = m_last = m_lowest = m_highest = point;
}

void CPixelThinner::EndRun(bool last)
{
    if (!m_inRun) {
        return;
    }
    EmitColumn();
    m_inRun = false;
    // A point alone between two breaks is drawn as a dot, and the series'
    // last point is always there, even on a line drawn before.
    const bool lone = m_runPoints == 1 && m_drawn.Insert(m_held.at, m_held.at);
    if (m_hasHeld && !m_heldWritten && (lone || last)) {
        m_out.StartRun();
        Push(m_held);
    }
    m_hasHeld = false;
    m_heldWritten = false;
    m_runPoints = 0;
}

void CPixelThinner::EmitColumn()
{
    Emit(m_first);
    if (m_last.index == m_first.index) {
        return;  // a column of one point, the most common kind in a short file
    }
    // The lowest and the highest lie from the first to the last: in the
    // order they came, each once.
    const Kept* middle[] = {&m_lowest, &m_highest};
    if (m_highest.index < m_lowest.index) {
        std::swap(middle[0], middle[1]);
    }
    std::uint32_t previous = m_first.index;
    for (const Kept* point : middle) {
        if (point->index != previous && point->index != m_last.index) {
            Emit(*point);
            previous = point->index;
        }
    }
    Emit(m_last);
}

void CPixelThinner::Emit(const Kept& point)
{
    const PlotPixel& at = point.at;
    if (!m_hasHeld) {
        m_held = point;
        m_hasHeld = true;
        m_heldWritten = false;
        m_runPoints = 1;
        return;
    }
    // A point on the one before it adds nothing to the line.
    if (m_held.at.x == at.x && m_held.at.y == at.y) {
        return;
    }
    ++m_runPoints;
    if (!m_drawn.Insert(m_held.at, at)) {
        m_held = point;
        m_heldWritten = false;
        return;
    }
    if (!m_heldWritten) {
        m_out.StartRun();
        Push(m_held);
    }
    Push(point);
    m_held = point;
    m_heldWritten = true;
}

void CPixelThinner::Push(const Kept& point)
{
    m_out.Append(point.at, point.index);
}

// Four points per pixel column and pass, in sample order.
#include "plot/plot_thinning.h"

#include <algorithm>
#include <cmath>

void CPixelThinner::Add(float x, float y)
{
    ++m_out.pointsIn;
    const long long column = static_cast<long long>(std::floor(x));
    const Kept point{m_index++, {x, y}};
    if (!m_inRun) {
        m_out.runs.emplace_back();
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

void CPixelThinner::Break()
{
    if (!m_inRun) {
        return;
    }
    EmitColumn();
    m_inRun = false;
}

void CPixelThinner::EmitColumn()
{
    Kept kept[] = {m_first, m_lowest, m_highest, m_last};
    std::sort(std::begin(kept), std::end(kept),
              [](const Kept& a, const Kept& b) { return a.index < b.index; });
    long long previous = -1;
    for (const Kept& point : kept) {
        if (point.index != previous) {
            Emit(point.at);
            previous = point.index;
        }
    }
}

void CPixelThinner::Emit(const PlotPixel& at)
{
    std::vector<PlotPixel>& run = m_out.runs.back();
    // A point on the one before it adds nothing to the line.
    if (!run.empty() && run.back().x == at.x && run.back().y == at.y) {
        return;
    }
    run.push_back(at);
    ++m_out.pointsKept;
}

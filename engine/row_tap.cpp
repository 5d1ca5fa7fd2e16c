#include "engine/row_tap.h"

namespace {

CRowSink* g_rowTap = nullptr;

}  // namespace

CRowSink* InstalledRowTap()
{
    return g_rowTap;
}

CScopedRowTap::CScopedRowTap(CRowSink& tap) : m_previous(g_rowTap)
{
    g_rowTap = &tap;
}

CScopedRowTap::~CScopedRowTap()
{
    g_rowTap = m_previous;
}

void CTeeRowSink::Begin(RowKind kind)
{
    m_first.Begin(kind);
    if (m_second != nullptr) {
        m_second->Begin(kind);
    }
}

void CTeeRowSink::Row(double first, double second, double third)
{
    m_first.Row(first, second, third);
    if (m_second != nullptr) {
        m_second->Row(first, second, third);
    }
}

// The area box: every change of its text, typed or set, is parsed at once,
// stored and echoed.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "batch/job_table.h"
#include "engine/settings.h"
#include "gui_support.h"
#include "ui/resource.h"

namespace {

using guitest::DialogTest;

class AreaTypingTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Text(IDC_AREA_ECHO)->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            m_echoes.push_back(Text(IDC_AREA_ECHO)->GetValue().utf8_string());
            event.Skip();
        });
    }

    // Empties the area box the way a user does: select all, delete.
    void EmptyAreaBox()
    {
        guitest::ClickCentre(Text(IDC_AREA));
        wxUIActionSimulator sim;
        sim.Char('a', wxMOD_CONTROL);
        sim.Char(WXK_DELETE);
        guitest::PumpUntil([this] { return Text(IDC_AREA)->IsEmpty(); }, 1500);
    }

    void Type(const char* text)
    {
        wxUIActionSimulator sim;
        sim.Text(text);
        guitest::PumpUntil([this, text] { return Text(IDC_AREA)->GetValue() == text; }, 1500);
    }

    std::vector<std::string> m_echoes;
};

TEST_F(AreaTypingTest, EveryKeystrokeIsParsedAndEchoed)
{
    EmptyAreaBox();
    ASSERT_EQ(Text(IDC_AREA)->GetValue(), "");
    m_echoes.clear();
    Type("0.5");
    EXPECT_EQ(m_echoes, (std::vector<std::string>{"Area=0.000000", "Area=0.000000", "Area=0.500000"}));
    EXPECT_FLOAT_EQ(g_surfaceArea, 0.5f);
}

TEST_F(AreaTypingTest, DeletingEverythingGivesZeroWithTheFlagKept)
{
    EmptyAreaBox();
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue(), "Area=0.000000");
    EXPECT_FLOAT_EQ(g_surfaceArea, 0.0f);
    EXPECT_EQ(g_areaEnabled, 1);
}

TEST_F(AreaTypingTest, CommaEndsTheNumber)
{
    EmptyAreaBox();
    Type("1,5");
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue(), "Area=1.000000");
    EXPECT_FLOAT_EQ(g_surfaceArea, 1.0f);
}

TEST_F(AreaTypingTest, TextSetByTheProgramIsTakenLikeTyping)
{
    Text(IDC_AREA)->SetValue("2.5 cm2");
    EXPECT_EQ(Text(IDC_AREA_ECHO)->GetValue(), "Area=2.500000");
    EXPECT_FLOAT_EQ(g_surfaceArea, 2.5f);
}

}  // namespace

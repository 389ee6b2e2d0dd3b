#include "dialogs/DialogTestSupport.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Group {
    const char* className;
    const char* functionName;
    std::vector<const char*> keys;
};

// Every caption of the dialogs and the file list.
const std::vector<Group> kGroups = {
    { "CInputDlg", "f_Language", { "sTitle", "sOK", "sNo" } },
    { "CProgressDlg", "f_Language", { "sTitle", "sNo" } },
    { "CRobDataDlg", "f_Language", { "sTitle", "s" } },
    { "CRuleDlg", "f_Language", { "sOK", "sNo", "sNumber", "sWeight", "sRule" } },
    { "CAssignGEODlg", "f_Language", { "sOK", "sNo", "s0", "s1", "s2" } },
    { "CMultiRobDlg", "f_Language",
        { "sTitle", "slabel", "slabel2", "slabel3", "sCombo", "sCombo2", "sOK", "sNo" } },
    { "CMultiRobDlg", "f_SelCombo", { "sOpen", "s", "s2" } },
    { "CLoadDlg", "CLoadDlg", { "sTitle", "sRob", "sMap", "sOK", "sNo", "sRob2", "sMap2" } },
    { "CDriveSetDlg", "f_Language", { "sOK", "sNo", "s0", "s1", "s2", "s3" } },
    { "CUserDefineDlg", "f_Language", { "sTitle", "sOpen", "sAdd", "sDel", "sRefresh", "sToMap" } },
    { "CUserDefineDlg", "slot_ptn_AddFile_1", { "s", "sFail" } },
    { "CUserDefineDlg", "slot_ptn_DelFile_1", { "sTitle", "s", "sOK", "sNo", "sFail" } },
    { "CExTreeView", "CExTreeView", { "s0", "s1", "s2", "s3" } },
    { "CExTreeView", "f_IsIveOrOsg", { "sIve", "sOsg" } },
};

} // namespace

TEST(DialogTexts, EveryLanguageCaptionsEveryDialog) {
    dialogstest::InstalledConfig installed;
    CConfig& config = installed.config();
    ASSERT_GE(config.m_vecLanguage.size(), 2u);
    for (size_t language = 0; language < config.m_vecLanguage.size(); ++language) {
        config.SetLanguage(int(language), false);
        for (const Group& group : kGroups) {
            for (const char* key : group.keys) {
                EXPECT_FALSE(config.GetText(group.className, group.functionName, key).trimmed().isEmpty())
                    << config.m_vecLanguage[language] << ": " << group.className << "/" << group.functionName
                    << " " << key;
            }
        }
    }
}

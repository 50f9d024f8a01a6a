#include "services/ui/datamodule.h"
#include "tests/support/testutil.h"

using namespace bw;

class DataModuleTest : public test::TempDirTest {};

TEST_F(DataModuleTest, ServicesAreWiredAndTheGlobalFollowsTheModule) {
    {
        TDMDataModule dm;
        EXPECT_EQ(DMDataModule, &dm);
        EXPECT_EQ(dm.BackupManager->LangManager, dm.LangManager);
        EXPECT_EQ(dm.BackupManager->MaxBackupCount(), 0);
        EXPECT_EQ(dm.LangManager->FileName(), "Langs.lng");
        EXPECT_EQ(dm.SettingsManager->OptionsFile(), nullptr);
    }
    EXPECT_EQ(DMDataModule, nullptr);
}

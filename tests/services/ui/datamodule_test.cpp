#include "services/ui/datamodule.h"
#include "tests/support/testutil.h"

using namespace bw;

class DataModuleTest : public test::TempDirTest {};

TEST_F(DataModuleTest, ServicesStartWithTheirValues) {
    {
        TDMDataModule dm;
        EXPECT_EQ(DMDataModule, &dm);
        EXPECT_EQ(dm.FileOD.NameFilters(), QStringList({"All Files (*)"}));
        EXPECT_EQ(dm.ILEdit.size(), 15);
        EXPECT_EQ(dm.FTIIL.size(), 3);
        EXPECT_TRUE(dm.BackupManager->Active);
        EXPECT_EQ(dm.BackupManager->MaxBackupCount(), 0);
        EXPECT_EQ(dm.BackupManager->LangManager, dm.LangManager);
        EXPECT_EQ(dm.LangManager->FileName(), "Langs.lng");
        EXPECT_EQ(dm.LangManager->CurrentLang(), -1);
        EXPECT_TRUE(dm.SettingsManager->AutoSave);
        EXPECT_EQ(dm.SettingsManager->OptionsFile(), nullptr);

    }
    EXPECT_EQ(DMDataModule, nullptr);
}

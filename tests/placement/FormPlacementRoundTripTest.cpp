// A form's placement written to an INI file of the test's own and read back
// when the form is shown again: on every system the form comes back as it
// was left, whatever the system stores as its normal rectangle.

#include "framework/Component.h"
#include "platform/cp1251/Ansi.h"
#include "settings/FormPlacement.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A form with a fixed single border whose placement is kept in `iniFile`.
class TFixedSizeForm : public TForm {
public:
    explicit TFixedSizeForm(const QString &iniFile)
    {
        resize(300, 200);
        move(100, 100);
        Placement = new TFormPlacement(this);
        Placement->SetLoading();
        Placement->SetUseRegistry(false);
        Placement->SetIniFileName(ToAnsi(QDir::toNativeSeparators(iniFile)));
        Placement->SetIniSection("FixedSizeForm");
        SetBorderStyle(TForm::bsSingle);
        NotifyLoaded(this);
    }

    TFormPlacement *Placement;
};

void Show(QWidget &w)
{
    w.show();
    QApplication::processEvents();
}
} // namespace

TEST(FormPlacementRoundTrip, AFixedSizeFormKeepsItsSizeAndPlaceOverRestores)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString iniFile = folder.filePath(QStringLiteral("placement.ini"));
    {
        TFixedSizeForm form(iniFile);
        Show(form);
        form.move(60, 70);
        QApplication::processEvents();
        form.close();
    }
    // Each round restores what the one before stored when it closed.
    for (int round = 1; round <= 3; ++round) {
        TFixedSizeForm form(iniFile);
        Show(form);
        EXPECT_EQ(form.size(), QSize(300, 200)) << "round " << round;
        EXPECT_EQ(form.pos(), QPoint(60, 70)) << "round " << round;
        form.close();
    }
}

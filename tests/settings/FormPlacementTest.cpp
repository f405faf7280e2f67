// TFormPlacement and TFormStorage on forms other than the main window: the
// options this program does not use but the components offer.

#include "RegistryValues.h"
#include "framework/Component.h"
#include "StoredRect.h"
#include "platform/profile/PrivateProfile.h"
#include "platform/placement/WindowPlacement.h"
#include "settings/FormStorage.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <gtest/gtest.h>

namespace RV = RegistryValues;

namespace {
const QByteArray Section = "Software\\Test\\TTestForm";

class TTestForm : public TForm {
    Q_OBJECT

public:
    // `setup` runs while the storage is being loaded, as if its properties
    // came from the form's description.
    explicit TTestForm(const std::function<void(TTestForm *)> &setup = {})
    {
        setObjectName(QStringLiteral("TestForm"));
        resize(300, 200);
        move(100, 100);
        Edit1 = new QLineEdit(this);
        Edit1->setObjectName(QStringLiteral("Edit1"));
        Edit2 = new QLineEdit(this);
        Edit2->setObjectName(QStringLiteral("Edit2"));
        Edit2->move(0, 40);
        Storage = new TFormStorage(this);
        Storage->SetLoading();
        Storage->SetName(QStringLiteral("FormStorage1"));
        Storage->SetUseRegistry(true);
        Storage->SetIniFileName("Software\\Test");
        if (setup)
            setup(this);
        NotifyLoaded(this);
    }

    QLineEdit *Edit1;
    QLineEdit *Edit2;
    TFormStorage *Storage;
};

void Show(QWidget &w)
{
    w.show();
    QApplication::processEvents();
}
} // namespace

TEST(FormPlacement, TakesOverTheFormsEventsAndChainsToTheFormerHandlers)
{
    std::vector<std::string> log;
    int saves = 0;
    {
        TTestForm form([&](TTestForm *f) {
            f->OnShow = [&, f](QObject *) { log.push_back(f->Storage->Restored() ? "show after restore" : "show"); };
            f->OnCloseQuery = [&](QObject *, bool &) { log.push_back(saves ? "close query after save" : "close query"); };
            f->OnDestroy = [&](QObject *) { log.push_back(saves == 2 ? "destroy after save" : "destroy"); };
            f->Storage->OnSavePlacement = [&](QObject *) { ++saves; };
        });
        Show(form);
        form.close();
        EXPECT_EQ(saves, 1);
        form.Storage->SetActive(true);
        RV::Set(Section, "Other", "x"); // the destruction must not save again...
        Show(form);                     // ...unless there was a restore since
    }
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"show after restore", "close query", "show after restore",
                                             "destroy after save"}));
}

TEST(FormPlacement, AClosingThatIsVetoedSavesNothing)
{
    int saves = 0;
    TTestForm form([&](TTestForm *f) {
        f->OnCloseQuery = [](QObject *, bool &canClose) { canClose = false; };
        f->Storage->OnSavePlacement = [&](QObject *) { ++saves; };
    });
    Show(form);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(saves, 0);
    form.Storage->SetActive(false);
}

TEST(FormPlacement, AnInactiveStorageNeitherRestoresNorSaves)
{
    {
        TTestForm form([](TTestForm *f) { f->Storage->SetActive(false); });
        Show(form);
        form.close();
    }
    EXPECT_FALSE(RV::KeyExists("Software\\Test"));
}

TEST(FormPlacement, EveryShowRestores)
{
    TTestForm form;
    Show(form);
    form.hide();
    RV::Set(Section, "NormPos", "40,50,440,350");
    Show(form);
    EXPECT_EQ(form.geometry(), QRect(40, 50, 400, 300));
    form.Storage->SetActive(false);
}

TEST(FormPlacement, RemovingTheStorageGivesTheFormItsHandlersBack)
{
    int shows = 0;
    TTestForm form([&](TTestForm *f) { f->OnShow = [&](QObject *) { ++shows; }; });
    delete form.Storage;
    ASSERT_TRUE(form.OnShow);
    Show(form);
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(form.OnDestroy);
    EXPECT_FALSE(RV::KeyExists("Software\\Test"));
}

TEST(FormPlacement, AFixedSizeFormOnlyMoves)
{
    RV::Set(Section, "NormPos", "40,50,1000,1000");
    TTestForm form([](TTestForm *f) { f->SetBorderStyle(TForm::bsSingle); });
    Show(form);
    EXPECT_EQ(form.geometry(), QRect(40, 50, 300, 200));
    form.Storage->SetActive(false);
}

TEST(FormPlacement, ACentredFormIsCentredUnlessAPositionIsStored)
{
    {
        TTestForm form([](TTestForm *f) { f->SetPosition(TForm::poScreenCenter); });
        Show(form);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        EXPECT_LE((form.frameGeometry().center() - centre).manhattanLength(), 2);
        form.Storage->SetActive(false);
    }
    RV::Set(Section, "NormPos", "40,50,340,250");
    TTestForm form([](TTestForm *f) { f->SetPosition(TForm::poScreenCenter); });
    Show(form);
    EXPECT_EQ(form.geometry(), QRect(40, 50, 300, 200));
    EXPECT_EQ(form.Position(), TForm::poDesigned);
    form.Storage->SetActive(false);
}

TEST(FormPlacement, AMainFormPlacedByDefaultStartsMaximised)
{
    TTestForm main([](TTestForm *f) { f->SetPosition(TForm::poDefault); });
    ASSERT_EQ(MainForm(), &main);
    TTestForm second([](TTestForm *f) { f->SetPosition(TForm::poDefault); });
    Show(main);
    Show(second);
    EXPECT_TRUE(main.isMaximized());
    EXPECT_FALSE(second.isMaximized());
    main.Storage->SetActive(false);
    second.Storage->SetActive(false);
}

TEST(FormPlacement, PreventResizeKeepsTheSizeAndTheMaximiseButtonAway)
{
    RV::Set(Section, "NormPos", "40,50,640,550");
    TTestForm form([](TTestForm *f) { f->Storage->SetPreventResize(true); });
    EXPECT_FALSE(form.BorderIcons() & TForm::biMaximize);
    Show(form);
    EXPECT_EQ(form.size(), QSize(300, 200)) << "the size is held before the restore";
    EXPECT_EQ(form.pos(), QPoint(38, 48));
    EXPECT_EQ(form.minimumSize(), QSize(300, 200));
    EXPECT_EQ(form.maximumSize(), QSize(300, 200));
    form.Storage->SetPreventResize(false);
    EXPECT_TRUE(form.BorderIcons() & TForm::biMaximize);
    EXPECT_TRUE(form.isVisible()) << "shown again after the new border icons";
    EXPECT_EQ(form.minimumSize(), QSize(0, 0));
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    form.Storage->SetActive(false);
}

TEST(FormPlacement, MinMaxInfoLimitsTheWindowAndLeavesTheMaximisedPositionAlone)
{
    TTestForm form([](TTestForm *f) { f->Storage->MinMaxInfo()->SetMinTrackWidth(250); });
    Show(form);
    EXPECT_EQ(form.minimumWidth(), 250);
    Wnd::TWindowPlacement placement;
    Wnd::GetWindowPlacement(&form, &placement);
    EXPECT_EQ(placement.MaxPosition, (Wnd::TPoint{-1, -1}));

    form.Storage->MinMaxInfo()->SetMaxTrackHeight(400);
    EXPECT_EQ(form.maximumHeight(), 400);
    TWinMinMaxInfo none;
    form.Storage->SetMinMaxInfo(&none); // all zero: the hook goes
    EXPECT_EQ(form.minimumWidth(), 0);
    EXPECT_EQ(form.maximumHeight(), QWIDGETSIZE_MAX);
    Wnd::GetWindowPlacement(&form, &placement);
    EXPECT_EQ(placement.MaxPosition, (Wnd::TPoint{-4, -4})) << "a sizeable frame just outside the screen";
    form.Storage->SetActive(false);
}

TEST(FormPlacement, TheMaximisedPositionFollowsTheBorderStyle)
{
    for (const auto &[style, expected] :
         {std::pair{TForm::bsDialog, Wnd::TPoint{-3, -3}}, std::pair{TForm::bsSingle, Wnd::TPoint{-1, -1}},
          std::pair{TForm::bsNone, Wnd::TPoint{0, 0}}, std::pair{TForm::bsSizeToolWin, Wnd::TPoint{-4, -4}}}) {
        TTestForm form([style = style](TTestForm *f) { f->SetBorderStyle(style); });
        Show(form);
        Wnd::TWindowPlacement placement;
        Wnd::GetWindowPlacement(&form, &placement);
        EXPECT_EQ(placement.MaxPosition, expected) << style;
        form.Storage->SetActive(false);
    }
}

TEST(FormPlacement, TheFocusedControlIsKeptWhenAsked)
{
    const auto withFocus = [](TTestForm *f) {
        f->Storage->SetOptions(f->Storage->Options() | TFormPlacement::fpActiveControl);
    };
    {
        TTestForm form(withFocus);
        Show(form);
        form.activateWindow();
        form.Edit2->setFocus();
        EXPECT_EQ(form.focusWidget(), form.Edit2);
        form.close();
    }
    EXPECT_EQ(RV::Get(Section, "ActiveControl"), "Edit2");
    RV::Set(Section, "ActiveControl", "EDIT2");
    TTestForm form(withFocus);
    Show(form);
    EXPECT_EQ(form.focusWidget(), form.Edit2);
    form.Storage->SetActive(false);
}

TEST(FormPlacement, VersionSectionAndEvents)
{
    int restores = 0;
    const auto setup = [&](TTestForm *f) {
        f->Storage->SetVersion(2);
        f->Storage->OnRestorePlacement = [&](QObject *) { ++restores; };
    };
    RV::Set(Section, "FormVersion", "1");
    {
        TTestForm form(setup);
        EXPECT_EQ(form.Storage->IniSection(), "TTestForm");
        Show(form);
        EXPECT_EQ(restores, 0);
        EXPECT_TRUE(form.Storage->Restored());
        form.close();
    }
    EXPECT_EQ(RV::Get(Section, "FormVersion"), "2");
    TTestForm form(setup);
    Show(form);
    EXPECT_EQ(restores, 1);
    form.Storage->SetActive(false);
}

TEST(FormPlacement, AnotherRootIsCreatedOnlyForWriting)
{
    const auto setup = [](TTestForm *f) { f->Storage->SetRegistryRoot(TFormPlacement::prLocalMachine); };
    Reg::HKEY key = Reg::HKEY_NONE;
    {
        TTestForm form(setup);
        Show(form);
        EXPECT_TRUE(RV::KeyExists("Software\\Test")) << "the current user's key is made first";
        EXPECT_EQ(Reg::OpenKeyEx(Reg::HKEY_LOCAL_MACHINE, "Software\\Test", Reg::KEY_READ, &key),
                  Reg::ERROR_FILE_NOT_FOUND);
        form.close();
    }
    ASSERT_EQ(Reg::OpenKeyEx(Reg::HKEY_LOCAL_MACHINE, "Software\\Test\\TTestForm", Reg::KEY_READ, &key),
              Reg::ERROR_SUCCESS);
    Reg::CloseKey(key);
    EXPECT_FALSE(RV::KeyExists(Section));
}

TEST(FormPlacement, WithoutAKeyPathTheProgramsNameIsUsed)
{
    TTestForm form([](TTestForm *f) { f->Storage->SetIniFileName({}); });
    Show(form);
    const QByteArray program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toLatin1();
    EXPECT_TRUE(RV::KeyExists("Software\\" + program));
    form.Storage->SetActive(false);
}

TEST(FormPlacement, TheIniFileStoreKeepsThePlacementToo)
{
    const auto setup = [](TTestForm *f) {
        f->Storage->SetUseRegistry(false);
        f->Storage->SetIniFileName("placement.ini");
    };
    QRect normal;
    {
        TTestForm form(setup);
        Show(form);
        form.setGeometry(60, 70, 320, 240);
        normal = StoredNormalRect(form);
        form.Edit1->setText(QStringLiteral("\"quoted\""));
        form.Storage->SetStoredPropLines({"Edit1.text"});
        form.close();
    }
    QFile file(ProfileFilePath(QStringLiteral("placement.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[TTestForm]\r\nFormVersion=0\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("NormPos=" + RectText(normal) + "\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("Edit1_text=\"\"quoted\"\"\r\n"));
    EXPECT_FALSE(RV::KeyExists("Software\\Test"));
    TTestForm form(setup);
    form.Storage->SetStoredPropLines({"Edit1.text"});
    Show(form);
    EXPECT_EQ(form.geometry(), QRect(60, 70, 320, 240));
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("\"quoted\""));
    form.Storage->SetActive(false);
}

TEST(FormPlacement, SingleSettingsOpenTheirOwnStore)
{
    TTestForm form;
    form.Storage->WriteSetting("Extra", "Name", "value");
    EXPECT_EQ(form.Storage->Store(), nullptr);
    EXPECT_EQ(RV::Get("Software\\Test\\Extra", "Name"), "value");
    EXPECT_EQ(form.Storage->ReadSetting("Extra", "Name", "none"), "value");
    EXPECT_EQ(form.Storage->ReadSetting("Extra", "Missing", "none"), "none");
    EXPECT_EQ(form.Storage->Store(), nullptr);
}

#include "FormPlacementTest.moc"

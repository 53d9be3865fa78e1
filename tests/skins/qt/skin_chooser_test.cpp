#include "skins/qt/skin_chooser.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/ini_store.h"
#include "support/fakes.h"

namespace vq {
namespace {

using test::FakeDialogs;
using test::TempDir;
using test::writeFile;

TEST(SkinChooser, OkAcceptsOnlyACompleteFolderThenRestarts) {
    TempDir data, skin;
    for (const char* f : {"fichier1.ini", "fichier2.ini", "image1.bmp", "image2.gif", "image3.GIF"}) {
        writeFile(skin.file(f), "x");
    }
    FakeDialogs dialogs;
    test::FakeLauncher launcher;
    int ended = 0, backToMain = 0;
    auto* chooser = new SkinChooser(SkinChooser::Deps{data.file("option.ini"), data.path(), "", dialogs,
                                                      launcher, [&] { ++ended; }, [&] { ++backToMain; }},
                                    QString::fromStdString(data.path()));
    QPointer<SkinChooser> guard(chooser);
    auto* verdict = chooser->findChild<QLineEdit*>("Text2");
    auto* ok = chooser->findChild<QPushButton*>("Command1");
    ASSERT_TRUE(verdict && ok);
    EXPECT_EQ(chooser->objectName(), "Form3");
    EXPECT_NE(chooser->findChild<QComboBox*>("Drive1")->findText("/"), -1);

    // Right after opening nothing is valid yet, whatever folder is shown.
    chooser->openFolder(QString::fromStdString(skin.path()));
    chooser->openFolder(QString::fromStdString(data.path()));
    EXPECT_EQ(verdict->text(), "Valable: non");
    ok->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Nom de dossier invalide");
    EXPECT_TRUE(launcher.programs().empty());

    chooser->openFolder(QString::fromStdString(skin.path()));
    EXPECT_EQ(verdict->text(), "Valable: oui");
    ok->click();
    EXPECT_EQ(lireini("Typeconex", "Dossier", data.file("option.ini")), skin.path());
    EXPECT_EQ(launcher.programs(), (std::vector<std::string>{data.file("Varlotte")}));
    EXPECT_EQ(ended, 1);

    chooser->findChild<QPushButton*>("Command2")->click();
    EXPECT_EQ(backToMain, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

}  // namespace
}  // namespace vq

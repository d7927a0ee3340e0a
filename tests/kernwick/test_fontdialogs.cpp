// The font property dialogs: their opening values and what OK accepts or refuses.

#include "editor/fontnamedialog.h"
#include "editor/fontparametersdialog.h"
#include "editor/importfontdialog.h"
#include "editor/newfontdialog.h"
#include "qtprinters.h"
#include "testapplication.h"
#include "useranswers.h"
#include "widgets/messages.h"
#include "widgets/spinfield.h"
#include "widgets/titlewidth.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using Kernwick::Test::UserAnswers;

TEST(NewFontDialog, OpensWithTheDefaultsAndAcceptsThem)
{
    NewFontDialog dialog;
    EXPECT_EQ(dialog.nameEdit()->text(), "newfont");
    EXPECT_TRUE(dialog.oneBpp()->isChecked());
    EXPECT_EQ(dialog.heightField()->text(), "14");
    EXPECT_EQ(dialog.widthField()->text(), "8");
    EXPECT_EQ(dialog.charsField()->text(), "95");
    EXPECT_EQ(dialog.firstField()->text(), "32");
    EXPECT_EQ(dialog.ascentField()->text(), "10");
    UserAnswers user;
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(user.messages.isEmpty());
    const NewFontSpec spec = dialog.spec();
    EXPECT_EQ(spec.name, "newfont");
    EXPECT_EQ(spec.chars, 95);
}

TEST(NewFontDialog, RefusesFieldByFieldInTheDialogsOrder)
{
    NewFontDialog dialog;
    dialog.show();
    UserAnswers user;
    // Everything wrong at once: the messages come one per OK, in the written order.
    dialog.ascentField()->setText(QStringLiteral("14")); // not below the height
    dialog.charsField()->setText(QStringLiteral("0"));
    dialog.nameEdit()->setMaxLength(100); // as if pasted past the field's limit
    dialog.nameEdit()->setText(QStringLiteral("twelve chars"));
    dialog.widthField()->setText(QStringLiteral("0"));
    dialog.firstField()->setText(QStringLiteral("x"));

    const QStringList expected{
        "Error! Ascent must be less than Height",
        "Please enter an integer between 1 and 65535.",
        "Please enter no more than 11 characters.",
        "Please enter an integer between 0 and 255.",
        "Please enter an integer between 1 and 255.",
        "Please enter an integer.",
    };
    dialog.accept();
    dialog.ascentField()->setText(QStringLiteral("10"));
    dialog.heightField()->setText(QStringLiteral("256")); // too high for the height's byte
    dialog.accept();
    dialog.charsField()->setText(QStringLiteral("95"));
    dialog.accept();
    dialog.nameEdit()->setText(QStringLiteral("ok"));
    dialog.accept();
    dialog.heightField()->setText(QStringLiteral("14"));
    dialog.accept();
    dialog.widthField()->setText(QStringLiteral("8"));
    dialog.accept();
    EXPECT_EQ(user.messages, expected);
    EXPECT_TRUE(dialog.isVisible()) << "a refused OK keeps the dialog open";
    EXPECT_EQ(dialog.focusWidget(), dialog.firstField()->lineEdit()) << "on the refused field";

    dialog.firstField()->setText(QStringLiteral("65535"));
    dialog.accept();
    EXPECT_EQ(user.messages.last(), "The last character code must not exceed 65535.");
    dialog.firstField()->setText(QStringLiteral("32"));
    dialog.ascentField()->setText(QStringLiteral("13"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(NewFontDialog, TheArrowsStepWithinTheRange)
{
    NewFontDialog dialog;
    SpinField *height = dialog.heightField();
    height->setText(QStringLiteral("255"));
    height->stepBy(1);
    EXPECT_EQ(height->text(), "255");
    height->setText(QStringLiteral("1"));
    height->stepBy(-1);
    EXPECT_EQ(height->text(), "1");
    height->stepBy(3);
    EXPECT_EQ(height->text(), "4");
}

TEST(ImportFontDialog, OpensOnTheFilesValues)
{
    ImportFontDialog dialog(initialImportFontChoice(191, 32, QStringLiteral("/x/helvR12.bdf")));
    EXPECT_EQ(dialog.countLabel()->text(), "191");
    EXPECT_EQ(dialog.firstEncodingLabel()->text(), "32");
    EXPECT_TRUE(dialog.oneBpp()->isChecked());
    EXPECT_EQ(dialog.firstToImportField()->text(), "32");
    EXPECT_EQ(dialog.countToImportField()->text(), "95");
    EXPECT_EQ(dialog.nameEdit()->text(), "helvR12");
    EXPECT_TRUE(dialog.retainGapsBox()->isChecked());
    EXPECT_FALSE(dialog.asDrawnBox()->isChecked());
    EXPECT_EQ(dialog.asDrawnBox()->text(), "Keep glyphs as drawn");

    UserAnswers user;
    dialog.twoBpp()->setChecked(true);
    dialog.countToImportField()->setText(QStringLiteral("0"));
    dialog.accept();
    EXPECT_EQ(user.messages, QStringList{"Please enter an integer between 1 and 65535."});
    dialog.countToImportField()->setText(QStringLiteral("10"));
    dialog.retainGapsBox()->setChecked(false);
    dialog.asDrawnBox()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const ImportFontChoice choice = dialog.choice();
    EXPECT_EQ(choice.depth, 1);
    EXPECT_EQ(choice.countToImport, 10);
    EXPECT_FALSE(choice.retainGaps);
    EXPECT_TRUE(choice.asDrawn);
    EXPECT_EQ(choice.encodeAs, 32);
}

TEST(FontNameDialog, TakesAtMostElevenCharacters)
{
    FontNameDialog dialog(QStringLiteral("default"));
    dialog.show();
    dialog.nameEdit()->selectAll();
    QTest::keyClicks(dialog.nameEdit(), QStringLiteral("twelve chars"));
    EXPECT_EQ(dialog.name(), "twelve char");
}

TEST(FontParametersDialog, ShowsTheEightHeaderFields)
{
    const FontParametersDialog dialog(defaultFont());
    const QStringList expected{"Name : default", "Skip : 0",    "Pixwidth : 0", "Chars : 95",
                               "First : 32",     "Height : 14", "Ascent : 10",  "Ldepth : 0"};
    EXPECT_EQ(dialog.texts(), expected);
}

TEST(FontDialogs, SmallDialogsAreWideEnoughForTheirCaptions)
{
    FontNameDialog name(QStringLiteral("default"));
    FontParametersDialog parameters(defaultFont());
    for (QDialog *dialog : {static_cast<QDialog *>(&name), static_cast<QDialog *>(&parameters)}) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        QFont bold = dialog->font();
        bold.setBold(true);
        EXPECT_GE(dialog->width(),
                  QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) + TitleBarRoom)
            << dialog->windowTitle().toStdString();
    }
}

// Every window readable in each language and at the smallest and largest scale: no label's
// text wider than the label, drawn on the offscreen platform.
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/LaunchWindow.h"
#include "console/dialogs/WarningForm.h"
#include "console/widgets/Fonts.h"
#include "support/lang/Localizer.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kv {
namespace {

// "Window.Label: text" for every shown label whose text does not fit it, and each list
// column heading cut.
std::vector<std::string> CutLabels(QWidget& window, int* checked = nullptr)
{
    std::vector<std::string> cut;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->wordWrap() || label->text().isEmpty() ||
            !label->pixmap().isNull())
            continue;
        if (checked)
            ++*checked;
        int needed = 0;
        for (const QString& line : label->text().split('\n'))
            needed = std::max(needed, label->fontMetrics().horizontalAdvance(line));
        if (needed > label->contentsRect().width())
            cut.push_back(window.objectName().toStdString() + "." +
                          label->objectName().toStdString() + ": " +
                          label->text().toStdString());
    }
    // A list's column headings, but the last, which stretches.
    for (QTreeWidget* list : window.findChildren<QTreeWidget*>()) {
        if (!list->isVisibleTo(&window))
            continue;
        const QHeaderView& header = *list->header();
        for (int column = 0; column + 1 < list->columnCount(); ++column) {
            const QString text = list->headerItem()->text(column);
            if (header.fontMetrics().horizontalAdvance(text) + 8 > header.sectionSize(column))
                cut.push_back(list->objectName().toStdString() + " column: " +
                              text.toStdString());
        }
    }
    return cut;
}

class TMessagesLocale {
public:
    explicit TMessagesLocale(const char* locale) { setenv("LC_ALL", locale, 1); }
    ~TMessagesLocale() { setenv("LC_ALL", "C.UTF-8", 1); }
};

TEST(ReadableTest, NoLabelIsCutInEitherLanguageAtOneOrTwiceTheSize)
{
    // Every case at 100 % first: a larger font once set leaves some sizes behind in the process.
    for (const int scale : {100, 200}) {
        for (const char* language : {"ru", "en"}) {
            SCOPED_TRACE(std::string(language) + " at " + std::to_string(scale) + " %");
            TLaunchWindow window("[console]\nLanguage=" + std::string(language) +
                                 "\nScale=" + std::to_string(scale) + "\n");
            TMainForm& form = window.Form();
            form.resize(Scaled(1280), Scaled(760));
            window.Register({1, 2});
            window.LoadScenario("0:00.20\t1\t3\tfirst\n");
            QTest::qWait(50);
            int checked = 0;
            EXPECT_EQ(CutLabels(form, &checked), std::vector<std::string>{}) << "launch page";
            EXPECT_GT(checked, 20);  // the labels are found
            window.Key(Qt::Key_Tab);
            QTest::qWait(50);
            EXPECT_EQ(CutLabels(form), std::vector<std::string>{}) << "test page";
            window.Key(Qt::Key_Tab);
            for (QDialog* dialog : form.findChildren<QDialog*>()) {
                if (dialog->parent() != &form)
                    continue;
                dialog->show();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
                EXPECT_EQ(CutLabels(*dialog), std::vector<std::string>{});
                dialog->hide();
            }
            auto& warning = window.Child<TWarningForm>("TWarningForm");
            warning.ShowWarning(Localize(46, "Экстренная остановка!"));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&warning));
            const QLabel& text = *warning.findChild<QLabel*>("TextLabel");
            EXPECT_LE(text.heightForWidth(text.width()), text.height()) << "warning text cut";
            warning.hide();
        }
    }
}

}  // namespace
}  // namespace kv

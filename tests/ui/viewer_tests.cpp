// The board browser, the post viewer and the image viewer against the simulated forum.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "catalogue.h"
#include "ui/image_viewer_window.h"
#include "ui/picture_box.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

using app::WindowKind;

class Viewers : public ClientTest {
protected:
    QListWidget* list(const char* name) const {
        return control<QListWidget>(WindowKind::board_browser, name);
    }
    // Where a person would click the row, scrolled into view first.
    QRect row_place(QListWidget* list, int row) {
        list->scrollToItem(list->item(row));
        return list->visualItemRect(list->item(row));
    }
    void click_row(QListWidget* list, int row) {
        QRect item = row_place(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    }
    // A person's double-click: press and release, then the second press that makes it double.
    void double_click_row(QListWidget* list, int row) {
        QRect item = row_place(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    }
    void wheel(QWidget* target, int distance) {
        QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, distance), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    // Opens the post viewer on a post that has an inline picture and a pop-up picture.
    void open_post_with_pictures() {
        const sim::Board& board = sim::boards().front();
        program_->state().selected_post_id = "r" + std::to_string(board.fid * 1000 + 1);
        program_->open_window(WindowKind::post_viewer);
        ASSERT_TRUE(window(WindowKind::post_viewer));
    }
};

TEST_F(Viewers, BoardListsFollowTheSelectionAndOpenAThread) {
    program_->open_window(WindowKind::board_browser);
    ASSERT_TRUE(window(WindowKind::board_browser));
    ASSERT_FALSE(list("列表框2")->isEnabled());
    ASSERT_FALSE(list("列表框4")->isEnabled());

    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    const auto& boards = sim::boards();
    ASSERT_TRUE(wait_until([&] {
        return label_text(WindowKind::board_browser, "标签4") == "状态：完成" &&
               list("列表框1")->count() == static_cast<int>(boards.size());
    })) << label_text(WindowKind::board_browser, "标签4").toStdString();
    ASSERT_EQ(list("列表框2")->count(), list("列表框1")->count());
    ASSERT_GE(boards.size(), 3u);

    // Selecting the third board selects its link and names its full address.
    click_row(list("列表框1"), 2);
    EXPECT_EQ(list("列表框2")->currentRow(), 2);
    QString name = list("列表框1")->item(2)->text();
    QString link = list("列表框2")->item(2)->text();
    EXPECT_EQ(name.toStdString(), boards[2].name);
    EXPECT_EQ(link.toStdString(), "thread.php?fid=" + std::to_string(boards[2].fid));
    QString root = QString::fromStdString("http://" + sim_.forum_host() + "/");
    EXPECT_EQ(control<QLineEdit>(WindowKind::board_browser, "编辑框1")->text(),
              name + " ：" + root + link);

    // A double-click fetches the board's threads at once.
    double_click_row(list("列表框1"), 2);
    EXPECT_EQ(control<QLineEdit>(WindowKind::board_browser, "编辑框2")->text(), root + link);
    std::vector<sim::Thread> threads = sim::threads_of(boards[2]);
    ASSERT_EQ(list("列表框3")->count(), static_cast<int>(threads.size()));
    ASSERT_EQ(list("列表框4")->count(), list("列表框3")->count());
    EXPECT_EQ(list("列表框4")->item(0)->text().toStdString(), "r" + std::to_string(threads[0].tid));
    EXPECT_TRUE(control<QWidget>(WindowKind::board_browser, "图形按钮3")->isEnabled());
    EXPECT_TRUE(control<QPlainTextEdit>(WindowKind::board_browser, "编辑框3")
                    ->toPlainText()
                    .contains(QString::number(boards[2].topics)));

    click_row(list("列表框3"), 1);
    EXPECT_EQ(list("列表框4")->currentRow(), 1);
    QString post_id = list("列表框4")->item(1)->text();
    EXPECT_TRUE(control<QPlainTextEdit>(WindowKind::board_browser, "编辑框4")
                    ->toPlainText()
                    .contains(post_id));

    // A double-click on a thread shows that post without a click on the fetch button.
    double_click_row(list("列表框3"), 1);
    ASSERT_TRUE(window(WindowKind::post_viewer));
    EXPECT_EQ(program_->state().selected_post_id, post_id.toStdString());
    EXPECT_EQ(control<QLineEdit>(WindowKind::post_viewer, "编辑框2")->text(), post_id);
    EXPECT_EQ(control<QLineEdit>(WindowKind::post_viewer, "编辑框3")->text(), root + post_id + "/");
    EXPECT_EQ(label_text(WindowKind::post_viewer, "帖子标题").toStdString(), threads[1].plain);
    EXPECT_TRUE(label_text(WindowKind::post_viewer, "板块标签")
                    .startsWith(QString::fromStdString(boards[2].name)));
    EXPECT_FALSE(
        control<QPlainTextEdit>(WindowKind::post_viewer, "编辑框1")->toPlainText().isEmpty());

    // With the viewer open, another thread's double-click shows that thread in it.
    double_click_row(list("列表框3"), 3);
    EXPECT_EQ(control<QLineEdit>(WindowKind::post_viewer, "编辑框2")->text(),
              list("列表框4")->item(3)->text());
    EXPECT_EQ(label_text(WindowKind::post_viewer, "帖子标题").toStdString(), threads[3].plain);

    // The close button closes only the board browser.
    click(control<QWidget>(WindowKind::board_browser, "图形按钮2"));
    EXPECT_FALSE(window(WindowKind::board_browser));
    EXPECT_TRUE(window(WindowKind::post_viewer));
}

// A browser closed while its directory load waits on a stalled forum leaves nothing behind: the
// next browser starts its own load at once, and only that load fills its lists.
TEST_F(Viewers, AReopenedBrowserLoadsAtOnceWhileTheClosedOnesLoadStalls) {
    sim_.set_fault(sim::Fault::stall);
    program_->open_window(WindowKind::board_browser);
    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    ASSERT_TRUE(wait_until([&] { return home_page_fetches() == 1; }));
    program_->close_window(WindowKind::board_browser);
    sim_.set_fault(sim::Fault::none);

    program_->open_window(WindowKind::board_browser);
    EXPECT_EQ(list("列表框1")->count(), 0);
    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    const int boards = static_cast<int>(sim::boards().size());
    EXPECT_TRUE(wait_until(
        [&] {
            return label_text(WindowKind::board_browser, "标签4") == "状态：完成" &&
                   list("列表框2")->count() == boards;
        },
        5000))
        << label_text(WindowKind::board_browser, "标签4").toStdString();
    EXPECT_EQ(list("列表框1")->count(), boards);
}

TEST_F(Viewers, ThreadFetchButtonWaitsWhileItsFetchRuns) {
    program_->open_window(WindowKind::board_browser);
    auto* address = control<QLineEdit>(WindowKind::board_browser, "编辑框2");
    auto* fetch = control<QWidget>(WindowKind::board_browser, "图形按钮3");
    ASSERT_TRUE(address && fetch);
    const sim::Board& board = sim::boards().front();
    // An address typed by hand is fetched like one chosen from the list.
    type(WindowKind::board_browser, "编辑框2",
         QString::fromStdString("http://" + sim_.forum_host() +
                                "/thread.php?fid=" + std::to_string(board.fid)));
    QImage normal_look = fetch->grab().toImage();
    sim_.set_fault(sim::Fault::slow);
    bool disabled_meanwhile = false;
    bool waiting_look = false;
    QTimer::singleShot(500, [&] {
        disabled_meanwhile = !fetch->isEnabled();
        waiting_look = fetch->grab().toImage() != normal_look;
    });
    click(fetch);
    EXPECT_TRUE(disabled_meanwhile);
    EXPECT_TRUE(waiting_look);
    EXPECT_TRUE(fetch->isEnabled());
    EXPECT_EQ(list("列表框3")->count(), static_cast<int>(sim::threads_of(board).size()));

    // Esc closes the window from a list too.
    list("列表框3")->setFocus();
    QTest::keyClick(list("列表框3"), Qt::Key_Escape);
    EXPECT_FALSE(window(WindowKind::board_browser));
}

TEST_F(Viewers, PostIdComposesTheAddressAndAnEmptyIdIsReported) {
    program_->open_window(WindowKind::post_viewer);
    auto* id = control<QLineEdit>(WindowKind::post_viewer, "编辑框2");
    auto* address = control<QLineEdit>(WindowKind::post_viewer, "编辑框3");
    ASSERT_TRUE(id && address);
    EXPECT_TRUE(address->isReadOnly());
    QString root = QString::fromStdString("http://" + sim_.forum_host() + "/");
    type(WindowKind::post_viewer, "编辑框2", "r1");
    EXPECT_EQ(address->text(), root + "r1/");
    id->setText("123");  // no "r": the composed address stays
    EXPECT_EQ(address->text(), root + "r1/");
    id->clear();
    EXPECT_EQ(address->text(), "");
    type(WindowKind::post_viewer, "编辑框2", "R5");
    EXPECT_EQ(address->text(), "");
    id->clear();

    QString message;
    Script script(stuck());
    script.step(
        "empty ID message", [this] { return shown(WindowKind::message); },
        [&] {
            message = label_text(WindowKind::message, "标签2");
            click(control<QWidget>(WindowKind::message, "图形按钮1"));
        });
    script.start();
    click(control<QWidget>(WindowKind::post_viewer, "图形按钮1"));
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(message, "您都没有填写帖子ID！");
    EXPECT_FALSE(window(WindowKind::message));
    EXPECT_TRUE(window(WindowKind::post_viewer));

    // Esc closes the window from its multi-line box too.
    auto* body = control<QPlainTextEdit>(WindowKind::post_viewer, "编辑框1");
    body->setFocus();
    QTest::keyClick(body, Qt::Key_Escape);
    EXPECT_FALSE(window(WindowKind::post_viewer));
}

TEST_F(Viewers, ThumbnailsOpenTheImageViewerWhichZoomsAndRestores) {
    open_post_with_pictures();
    auto* inline_thumb = control<ui::PictureBox>(WindowKind::post_viewer, "图片框2");
    auto* popup_thumb = control<ui::PictureBox>(WindowKind::post_viewer, "图片框3");
    ASSERT_TRUE(inline_thumb && popup_thumb);
    EXPECT_TRUE(inline_thumb->has_picture());
    EXPECT_TRUE(popup_thumb->has_picture());
    std::string popup_url = program_->state().popup_image_url;
    ASSERT_FALSE(popup_url.empty());

    struct Sizes {
        QSize window, picture;
        bool close_in_view = false;
    };
    std::vector<Sizes> seen;
    auto record = [&] {
        ui::BorderlessWindow* viewer = window(WindowKind::image_viewer);
        auto* picture = control<ui::PictureBox>(WindowKind::image_viewer, "图片框1");
        auto* close = control<QWidget>(WindowKind::image_viewer, "图形按钮1");
        seen.push_back(
            {viewer->size(), picture->size(),
             viewer->rect().contains(close->mapTo(viewer, close->rect().bottomRight()))});
    };
    bool had_picture = false;
    Script script(stuck());
    script.step(
        "image viewer", [this] { return shown(WindowKind::image_viewer); },
        [&] {
            auto* picture = control<ui::PictureBox>(WindowKind::image_viewer, "图片框1");
            had_picture = picture->has_picture();
            record();
            for (int notch = 0; notch < 3; ++notch) {
                wheel(window(WindowKind::image_viewer), 120);
            }
            record();
            double_click(picture);
            record();
            wheel(window(WindowKind::image_viewer), 240);  // one event, one step
            record();
            for (int notch = 0; notch < 40; ++notch) {
                wheel(window(WindowKind::image_viewer), -120);
            }
            record();
            for (int notch = 0; notch < 250; ++notch) {
                wheel(window(WindowKind::image_viewer), 120);
            }
            record();
            click(control<QWidget>(WindowKind::image_viewer, "图形按钮1"));
        });
    script.start();
    double_click(inline_thumb);

    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(had_picture);
    EXPECT_FALSE(program_->state().viewer_image_data.empty());
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].window, QSize(509, 510));
    EXPECT_EQ(seen[0].picture, QSize(512, 512));
    EXPECT_EQ(seen[1].window, QSize(569, 570));
    EXPECT_EQ(seen[1].picture, QSize(572, 572));
    EXPECT_EQ(seen[2].window, QSize(509, 510));
    EXPECT_EQ(seen[2].picture, QSize(512, 512));
    EXPECT_EQ(seen[3].window, QSize(529, 530));
    EXPECT_EQ(seen[4].window, ui::ImageViewerWindow::smallest_size);
    EXPECT_TRUE(seen[4].close_in_view);
    // 199 notches from the smallest make a picture box of 4092 x 4092, and there growing stops.
    EXPECT_EQ(seen[5].picture, QSize(4092, 4092));
    EXPECT_EQ(seen[5].window, QSize(4089, 4090));
    EXPECT_FALSE(window(WindowKind::image_viewer));

    // The pop-up thumbnail opens the pop-up picture.
    Script popup_script(stuck());
    popup_script.step(
        "pop-up picture", [this] { return shown(WindowKind::image_viewer); },
        [&] {
            had_picture =
                control<ui::PictureBox>(WindowKind::image_viewer, "图片框1")->has_picture();
            QTest::keyClick(window(WindowKind::image_viewer), Qt::Key_Escape);
        });
    popup_script.start();
    double_click(popup_thumb);
    EXPECT_TRUE(popup_script.finished());
    EXPECT_EQ(program_->state().viewer_image_url, popup_url);
    EXPECT_TRUE(had_picture) << popup_url;
}

// What the label draws over a white ground, its own background left out.
QImage drawing_of(QLabel* label) {
    QImage image(label->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Whether the label draws its caption as a plain-text label draws the same characters.
bool drawn_as_text(QLabel* label) {
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label->text());
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAlignment(label->alignment());
    plain.resize(label->size());
    return drawing_of(&plain) == drawing_of(label);
}

// The question board: a board name and titles that look like markup, a post whose keywords name
// no board, a title GBK cannot hold and a title without a post ID.
TEST_F(Viewers, ForumTextThatLooksLikeMarkupIsShownAsText) {
    const sim::Board& board = sim::boards().back();
    ASSERT_FALSE(board.notice_title.empty());
    const std::vector<sim::Thread> threads = sim::threads_of(board);
    program_->open_window(WindowKind::board_browser);
    click(control<QWidget>(WindowKind::board_browser, "图形按钮1"));
    const int last_board = static_cast<int>(sim::boards().size()) - 1;
    ASSERT_TRUE(wait_until([&] { return list("列表框2")->count() == last_board + 1; }));
    EXPECT_EQ(list("列表框1")->item(last_board)->text().toStdString(), board.name);
    double_click_row(list("列表框1"), last_board);
    ASSERT_EQ(list("列表框3")->count(), static_cast<int>(threads.size()) + 1);
    ASSERT_EQ(list("列表框4")->count(), static_cast<int>(threads.size()));
    EXPECT_EQ(list("列表框3")->item(0)->text().toStdString(), threads[0].cleaned);
    EXPECT_EQ(list("列表框3")->item(3)->text().toStdString(), threads[3].cleaned);  // beyond GBK

    // Whatever opens the message window is written down and closed.
    std::vector<QString> messages;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (shown(WindowKind::message)) {
            messages.push_back(label_text(WindowKind::message, "标签2"));
            program_->close_window(WindowKind::message);
        }
    });
    closer.start();

    double_click_row(list("列表框3"), 0);
    ASSERT_TRUE(shown(WindowKind::post_viewer));
    auto* title = control<QLabel>(WindowKind::post_viewer, "帖子标题");
    auto* board_label = control<QLabel>(WindowKind::post_viewer, "板块标签");
    EXPECT_EQ(title->text().toStdString(), threads[0].plain);
    EXPECT_EQ(board_label->text().toStdString(), board.name + "," + sim::kKeywordsTail);
    EXPECT_TRUE(drawn_as_text(title)) << title->text().toStdString();
    EXPECT_TRUE(drawn_as_text(board_label)) << board_label->text().toStdString();

    // A post without a board name empties the board label and what a screen reader hears.
    double_click_row(list("列表框3"), 2);
    EXPECT_EQ(title->text().toStdString(), threads[2].plain);
    EXPECT_EQ(board_label->text().toStdString(), "");
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(board_label)->text(QAccessible::Name).toStdString(),
        "");

    // The moved thread's title has no post ID: the viewer keeps its post and says nothing.
    auto* post_id = control<QLineEdit>(WindowKind::post_viewer, "编辑框2");
    const QString shown_id = post_id->text();
    double_click_row(list("列表框3"), static_cast<int>(threads.size()));
    QTest::qWait(100);
    EXPECT_EQ(post_id->text(), shown_id);
    EXPECT_EQ(title->text().toStdString(), threads[2].plain);
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

}  // namespace
}  // namespace tamsor::test

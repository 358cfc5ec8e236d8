// The shared window machinery: accessibility, picture decoding, dragging, the request pump and
// deferred window destruction.
#include <QAbstractButton>
#include <QAccessible>
#include <QBuffer>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "ui/board_browser_window.h"
#include "ui/image_viewer_window.h"
#include "ui/login_window.h"
#include "ui/message_window.h"
#include "ui/operations_window.h"
#include "ui/picture_box.h"
#include "ui/post_viewer_window.h"
#include "ui_test_support.h"

namespace tamsor::test {
namespace {

using app::WindowKind;

class Windows : public ClientTest {};

TEST_F(Windows, EveryControlHasANameForAssistiveTechnology) {
    int checked = 0;
    for (const auto& window : every_window()) {
        for (QWidget* child : window->findChildren<QWidget*>()) {
            bool control = qobject_cast<QLabel*>(child) || qobject_cast<QLineEdit*>(child) ||
                           qobject_cast<QPlainTextEdit*>(child) ||
                           qobject_cast<QListWidget*>(child) ||
                           qobject_cast<QAbstractButton*>(child);
            if (!control || child->objectName().isEmpty()) {
                continue;  // the inner parts of a control (viewports, scroll bars)
            }
            ++checked;
            // What a screen reader asks for, not merely the property.
            QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(child);
            ASSERT_NE(readable, nullptr) << child->objectName().toStdString();
            EXPECT_FALSE(readable->text(QAccessible::Name).isEmpty())
                << window->objectName().toStdString() << "/" << child->objectName().toStdString();
        }
    }
    EXPECT_GT(checked, 50);
}

// The task bar names the login window only. An empty title would not do for the others: the
// toolkit hands the window system the program's name in its place.
TEST_F(Windows, OnlyTheLoginWindowShowsATitle) {
    std::vector<std::unique_ptr<ui::BorderlessWindow>> windows = every_window();
    for (const auto& window : windows) {
        window->winId();  // the window system's window, which carries the title
        const QString title = window->windowHandle()->title();
        if (window == windows.front()) {
            EXPECT_TRUE(title.contains(QString::fromStdString(sim_.forum_host())))
                << title.toStdString();
            continue;
        }
        EXPECT_FALSE(title.isEmpty()) << window->objectName().toStdString();
        EXPECT_TRUE(title.trimmed().isEmpty()) << window->objectName().toStdString();
    }
}

TEST_F(Windows, OpeningAnOpenWindowBringsTheSameOneForward) {
    program_->open_window(WindowKind::board_browser);
    ui::BorderlessWindow* first = window(WindowKind::board_browser);
    program_->open_window(WindowKind::board_browser);
    EXPECT_EQ(window(WindowKind::board_browser), first);
    EXPECT_EQ(QApplication::topLevelWidgets().count(first), 1);
}

// The repeats of a held Esc come as a release and a press at the same moment, marked as
// repeats or not; they close nothing. A press of its own closes the window.
TEST_F(Windows, AHeldEscClosesOneWindowOnly) {
    program_->open_window(WindowKind::post_viewer);
    QWidget* focus = control<QWidget>(WindowKind::post_viewer, "编辑框2");
    auto esc = [&](QEvent::Type type, quint64 moment, bool marked = false) {
        QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier, QString(), marked);
        key.setTimestamp(moment);
        QApplication::sendEvent(focus, &key);
    };
    esc(QEvent::KeyPress, 1000, true);
    esc(QEvent::KeyRelease, 1040);
    esc(QEvent::KeyPress, 1040);
    EXPECT_TRUE(window(WindowKind::post_viewer)) << "a repeat of a held Esc closed the window";
    esc(QEvent::KeyRelease, 1080);
    esc(QEvent::KeyPress, 1500);
    EXPECT_FALSE(window(WindowKind::post_viewer));
}

TEST_F(Windows, DraggingAnyPointMovesTheWindow) {
    program_->open_window(WindowKind::login);
    ui::BorderlessWindow* login = window(WindowKind::login);
    login->move(100, 100);
    auto* heading = control<QLabel>(WindowKind::login, "标签3");
    QPoint start = heading->rect().center();
    QTest::mousePress(heading, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 20)),
                     QPointF(heading->mapToGlobal(start + QPoint(30, 20))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(heading, &move);
    QTest::mouseRelease(heading, Qt::LeftButton, {}, start + QPoint(30, 20));
    EXPECT_EQ(login->pos(), QPoint(130, 120));

    // The message window stays put and on top.
    program_->state().message_code = MessageCode{7};  // a code without text
    Script script(stuck());
    QPoint message_before, message_after;
    bool on_top = false;
    QString text = "unset";
    script.step(
        "message", [this] { return shown(WindowKind::message); },
        [&] {
            ui::BorderlessWindow* message = window(WindowKind::message);
            on_top = message->windowFlags() & Qt::WindowStaysOnTopHint;
            text = label_text(WindowKind::message, "标签2");
            message_before = message->pos();
            QTest::mousePress(message, Qt::LeftButton, {}, {5, 70});
            QMouseEvent drag(QEvent::MouseMove, QPointF(60, 70),
                             QPointF(message->mapToGlobal(QPoint(60, 70))), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(message, &drag);
            QTest::mouseRelease(message, Qt::LeftButton, {}, {60, 70});
            message_after = message->pos();
            click(control<QWidget>(WindowKind::message, "图形按钮1"));
        });
    script.start();
    program_->open_window_modal(WindowKind::message);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(on_top);
    EXPECT_EQ(text, "");  // code 7 has no text
    EXPECT_EQ(message_before, message_after);
}

TEST_F(Windows, WindowsRepaintWhileARequestRunsOnTheWindowThread) {
    sim_.set_fault(sim::Fault::slow);
    QElapsedTimer clock;
    clock.start();
    qint64 timer_fired_at = -1;
    QTimer::singleShot(100, [&] { timer_fired_at = clock.elapsed(); });
    program_->open_window(WindowKind::login);  // fetches the captcha before it returns
    qint64 opened_at = clock.elapsed();
    ASSERT_GT(opened_at, 1000);
    EXPECT_GE(timer_fired_at, 0);
    EXPECT_LT(timer_fired_at, opened_at - 500);
}

TEST_F(Windows, AWindowClosedInsideItsOwnHandlerLivesUntilTheHandlerReturns) {
    program_->open_window(WindowKind::login);
    QPointer<ui::BorderlessWindow> login = window(WindowKind::login);
    bool alive_after_close = false;
    QTimer::singleShot(0, [&] {
        program_->close_window(WindowKind::login);
        QCoreApplication::processEvents();
        alive_after_close = !login.isNull();
    });
    // A modal window keeps the deletion waiting, as the login handler waits under it.
    program_->state().message_code = MessageCode::wrong_name_or_password;
    Script script(stuck());
    script.step(
        "message", [this] { return shown(WindowKind::message); },
        [&] { QTest::keyClick(window(WindowKind::message), Qt::Key_Escape); });
    script.start();
    program_->open_window_modal(WindowKind::message);
    EXPECT_TRUE(alive_after_close);
    EXPECT_FALSE(program_->window_exists(WindowKind::login));
    EXPECT_TRUE(wait_until([&] { return login.isNull(); }, 2000));
}

QByteArray png_of_size(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(PictureDecoding, RefusesOversizedPicturesAndNonPictures) {
    EXPECT_EQ(ui::decode_picture(png_of_size(16, 9).toStdString()).size(), QSize(16, 9));
    // Right at the side limit a picture is shown; one pixel more and it is refused unread.
    EXPECT_EQ(ui::decode_picture(png_of_size(ui::max_picture_side, 1).toStdString()).width(),
              ui::max_picture_side);
    EXPECT_TRUE(
        ui::decode_picture(png_of_size(ui::max_picture_side + 1, 1).toStdString()).isNull());
    EXPECT_TRUE(
        ui::decode_picture(png_of_size(1, ui::max_picture_side + 1).toStdString()).isNull());

    EXPECT_TRUE(ui::decode_picture("").isNull());
    EXPECT_TRUE(ui::decode_picture("<html>not a picture</html>").isNull());
}

}  // namespace
}  // namespace tamsor::test

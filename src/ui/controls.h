#pragma once

#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>

#include <string_view>

// The plain controls the windows are built from, each created with its layout name as object
// name, its place, and a name that assistive technology reads.
namespace tamsor::ui {

// A font by family (falling back to an installed CJK font), pixel size and weight.
QFont window_font(const QString& family, int pixel_size, bool bold = false);

// A rectangle outline of the given width and colour with nothing filled; other controls sit on it.
class OutlineFrame : public QWidget {
public:
    OutlineFrame(QWidget* parent, const QString& name, const QRect& place, int line_width,
                 const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int line_width_;
    QColor colour_;
};

// A thin horizontal separator bar.
class SplitterBar : public QWidget {
public:
    SplitterBar(QWidget* parent, const QString& name, const QRect& place,
                const QColor& colour = QColor());

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

struct TextLook {
    QFont font;
    QColor colour;  // invalid: the palette's text colour
};

// Labels draw no background of their own, so a label on a picture shows the picture around its
// text (the "transparent label" of the layouts is the same control). They show their caption as
// plain text, never as markup.
QLabel* make_label(QWidget* parent, const QString& name, const QRect& rect, const QString& caption,
                   const TextLook& look = {});
// Changes a label's caption and the name assistive technology reads with it, empty included.
void set_caption(QLabel* label, const QString& caption);

enum class EditBorder { single_line, none };
QLineEdit* make_line_edit(QWidget* parent, const QString& name, const QRect& rect,
                          const QString& role, EditBorder border, const TextLook& look = {});
QPlainTextEdit* make_text_box(QWidget* parent, const QString& name, const QRect& rect,
                              const QString& role, const TextLook& look = {});
QListWidget* make_list(QWidget* parent, const QString& name, const QRect& rect, const QString& role,
                       const QFont& font);
QGroupBox* make_group(QWidget* parent, const QString& name, const QRect& rect,
                      const QString& caption, const QFont& font);
QCheckBox* make_check_box(QWidget* parent, const QString& name, const QRect& rect,
                          const QString& caption, const QFont& font);

// Program texts are UTF-8.
inline QString qtext(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The item text of a list at its current row; "" without one.
QString current_item_text(const QListWidget* list);

}  // namespace tamsor::ui

#include "ui/controls.h"

#include <QPainter>

#include "ui/artwork.h"

namespace tamsor::ui {

QFont window_font(const QString& family, int pixel_size, bool bold) {
    QFont font(font_family(family));
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}

OutlineFrame::OutlineFrame(QWidget* parent, const QString& name, const QRect& place, int line_width,
                           const QColor& colour)
    : QWidget(parent), line_width_(line_width), colour_(colour) {
    setObjectName(name);
    setAccessibleName(name);
    setGeometry(place);
}

void OutlineFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The outline lies wholly inside the frame, as the frame's own border would.
    QRectF box = QRectF(rect()).adjusted(line_width_ / 2.0, line_width_ / 2.0, -line_width_ / 2.0,
                                         -line_width_ / 2.0);
    painter.setPen(QPen(colour_, line_width_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

SplitterBar::SplitterBar(QWidget* parent, const QString& name, const QRect& place,
                         const QColor& colour)
    : QWidget(parent), colour_(colour) {
    setObjectName(name);
    setAccessibleName(name);
    setGeometry(place);
}

void SplitterBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (colour_.isValid()) {
        painter.fillRect(rect(), colour_);
        return;
    }
    // A sunken line: dark above, light below, like a splitter between two panes.
    QColor dark = palette().color(QPalette::Mid);
    QColor light = palette().color(QPalette::Light);
    int middle = height() / 2;
    painter.fillRect(QRect(0, middle - 1, width(), 1), dark);
    painter.fillRect(QRect(0, middle, width(), 1), light);
}

static void apply_look(QWidget* widget, const TextLook& look) {
    if (!look.font.family().isEmpty()) {
        widget->setFont(look.font);
    }
    if (look.colour.isValid()) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, look.colour);
        palette.setColor(QPalette::Text, look.colour);
        widget->setPalette(palette);
    }
}

static void place(QWidget* widget, const QString& name, const QRect& rect,
                  const QString& accessible_name) {
    widget->setObjectName(name);
    widget->setGeometry(rect);
    widget->setAccessibleName(accessible_name);
}

QLabel* make_label(QWidget* parent, const QString& name, const QRect& rect, const QString& caption,
                   const TextLook& look) {
    auto* label = new QLabel(parent);
    // Labels show forum and account texts, which may look like markup ("<b>粗体</b>&lt;新手&gt;"):
    // guessed rich text would drop characters and could make the label load resources.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    // A label that starts empty is named after its role until it gets a caption.
    place(label, name, rect, caption.isEmpty() ? name : caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    apply_look(label, look);
    return label;
}

void set_caption(QLabel* label, const QString& caption) {
    label->setText(caption);
    // An emptied caption empties the name too: a screen reader must not read the old text.
    label->setAccessibleName(caption);
}

QLineEdit* make_line_edit(QWidget* parent, const QString& name, const QRect& rect,
                          const QString& role, EditBorder border, const TextLook& look) {
    auto* edit = new QLineEdit(parent);
    place(edit, name, rect, role);
    edit->setFrame(border == EditBorder::single_line);
    apply_look(edit, look);
    return edit;
}

QPlainTextEdit* make_text_box(QWidget* parent, const QString& name, const QRect& rect,
                              const QString& role, const TextLook& look) {
    auto* box = new QPlainTextEdit(parent);
    place(box, name, rect, role);
    box->setFrameShape(QFrame::NoFrame);
    apply_look(box, look);
    return box;
}

QListWidget* make_list(QWidget* parent, const QString& name, const QRect& rect, const QString& role,
                       const QFont& font) {
    auto* list = new QListWidget(parent);
    place(list, name, rect, role);
    list->setFont(font);
    list->setFrameShape(QFrame::Box);
    list->setLineWidth(1);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QGroupBox* make_group(QWidget* parent, const QString& name, const QRect& rect,
                      const QString& caption, const QFont& font) {
    auto* group = new QGroupBox(caption, parent);
    place(group, name, rect, caption);
    group->setFont(font);
    return group;
}

QCheckBox* make_check_box(QWidget* parent, const QString& name, const QRect& rect,
                          const QString& caption, const QFont& font) {
    auto* box = new QCheckBox(caption, parent);
    place(box, name, rect, caption);
    box->setFont(font);
    return box;
}

QString current_item_text(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item == nullptr ? QString() : item->text();
}

}  // namespace tamsor::ui

#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <string>

namespace tamsor::ui {

// Decodes picture bytes: PNG, JPEG, GIF or BMP, told from the bytes; other formats are not
// read. Pictures whose declared size is absurd are refused before any pixel is decoded, so a
// hostile header cannot exhaust memory, and so are pictures cut short (see picture_ends.h).
// What is no picture gives a null image.
QImage decode_picture(const std::string& bytes);

// Largest picture accepted: each side and the pixel count.
inline constexpr int max_picture_side = 20000;
inline constexpr qint64 max_picture_pixels = 100'000'000;

// Shows one picture, either stretched over the whole box or at its natural size from the top
// left; optionally with a one-pixel border and a background colour.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { stretch, top_left };

    PictureBox(QWidget* parent, const QString& name, const QRect& place, Fit fit,
               const QString& accessible_name);

    void set_border(bool on);
    void set_background(const QColor& colour);
    void set_picture(const QPixmap& picture);
    // Empty or undecodable bytes leave the box empty.
    void set_picture_bytes(const std::string& bytes);
    const QPixmap& picture() const { return picture_; }
    bool has_picture() const { return !picture_.isNull(); }

signals:
    void double_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Fit fit_;
    bool border_ = false;
    QColor background_;
    QPixmap picture_;
};

}  // namespace tamsor::ui

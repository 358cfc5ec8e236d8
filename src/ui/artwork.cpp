#include "ui/artwork.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "ui/art_buttons.h"
#include "ui/art_emblem.h"
#include "ui/art_panels.h"

// The pictures are drawn by art_buttons, art_panels and art_emblem with the helpers of
// art_paint; this file keeps what has been drawn.
namespace tamsor::ui {
namespace {

// Pictures are drawn for ratios in quarter steps: finer steps would not look different, and
// each step drawn is kept.
int quarters(qreal ratio) {
    return std::max(4, static_cast<int>(std::lround(ratio * 4)));
}

struct Cache {
    std::map<std::pair<ButtonArt, int>, ButtonLooks> buttons;
    std::map<std::pair<Drawing, int>, QPixmap> drawings;
    std::optional<QIcon> icon;
};

// Pixmaps must not outlive the application object, so the cache goes with it.
std::unique_ptr<Cache> g_cache;

Cache& cache() {
    if (!g_cache) {
        g_cache = std::make_unique<Cache>();
        qAddPostRoutine([] { g_cache.reset(); });
    }
    return *g_cache;
}

// The entry for `key`, made by `make` the first time it is asked for.
template <typename Map, typename Make>
const typename Map::mapped_type& cached(Map& map, const typename Map::key_type& key, Make make) {
    auto found = map.find(key);
    if (found == map.end()) {
        found = map.emplace(key, make()).first;
    }
    return found->second;
}

QPixmap draw(Drawing which, qreal ratio) {
    switch (which) {
        case Drawing::logo_banner:
            return art::draw_logo(ratio);
        case Drawing::profile_panel:
            return art::draw_profile_panel(ratio);
        case Drawing::operations_panel:
            return art::draw_operations_panel(ratio);
        case Drawing::credits:
            return art::draw_credits_picture(ratio);
        case Drawing::post_form:
            return art::draw_post_form(ratio);
    }
    return {};
}

}  // namespace

const ButtonLooks& button_looks(ButtonArt button, qreal ratio) {
    const int steps = quarters(ratio);
    return cached(cache().buttons, std::pair(button, steps),
                  [&] { return art::draw_button_looks(button, steps / 4.0); });
}

QPixmap drawing(Drawing which, qreal ratio) {
    const int steps = quarters(ratio);
    return cached(cache().drawings, std::pair(which, steps),
                  [&] { return draw(which, steps / 4.0); });
}

QIcon application_icon() {
    auto& icon = cache().icon;
    if (!icon) {
        icon.emplace();
        for (const int side : icon_sides) {
            icon->addPixmap(QPixmap::fromImage(icon_image(side)));
        }
    }
    return *icon;
}

}  // namespace tamsor::ui

#include "texture.h"

void blurAlpha(QImage& layer, int radius)
{
    const int w = layer.width();
    const int h = layer.height();
    std::vector<int> alpha(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[static_cast<std::size_t>(y * w + x)] = qAlpha(line[x]);
    }
    std::vector<int> scratch(alpha.size());
    const auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w;
        const int inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            const auto at = [&](int i) {
                const int c = std::clamp(i, 0, inner - 1);
                return static_cast<std::size_t>(horizontal ? o * w + c : c * w + o);
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += alpha[at(i)];
            for (int i = 0; i < inner; ++i) {
                scratch[at(i)] = sum / (2 * radius + 1);
                sum += alpha[at(i + radius + 1)] - alpha[at(i - radius)];
            }
        }
        alpha.swap(scratch);
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0, alpha[static_cast<std::size_t>(y * w + x)]);
    }
}

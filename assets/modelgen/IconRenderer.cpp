#include "IconRenderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

osg::Vec3d Unit(double x, double y, double z) {
    osg::Vec3d v(x, y, z);
    v.normalize();
    return v;
}

struct ScreenVertex {
    double x, y, depth;
    osg::Vec3d normal;
};

double Edge(const ScreenVertex& a, const ScreenVertex& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

} // namespace

IconRenderer::IconRenderer(int size, int supersample)
    : m_nSize(size)
    , m_nSupersample(supersample) { }

QImage IconRenderer::Render(const std::vector<Item>& items) const {
    const int n = m_nSize * m_nSupersample;
    const osg::Vec3d toCamera = Unit(1.0, 1.6, 1.2);
    const osg::Vec3d forward = -toCamera;
    osg::Vec3d right = forward ^ osg::Vec3d(0, 0, 1);
    right.normalize();
    const osg::Vec3d up = right ^ forward;
    const osg::Vec3d light = Unit(0.4, 0.7, 1.2);
    const osg::Vec3d background(0.94, 0.95, 0.97);

    // Fit the model's outline into the picture with a small margin.
    double minX = std::numeric_limits<double>::max(), maxX = -minX, minY = minX, maxY = -minX;
    for (const Item& item : items) {
        for (const osg::Vec3f& p : item.mesh.Positions()) {
            const osg::Vec3d q(p);
            minX = std::min(minX, q * right);
            maxX = std::max(maxX, q * right);
            minY = std::min(minY, q * up);
            maxY = std::max(maxY, q * up);
        }
    }
    const double extent = std::max({ maxX - minX, maxY - minY, 1e-6 });
    const double scale = 0.84 * n / extent;
    const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;

    std::vector<osg::Vec3d> colour(static_cast<size_t>(n) * n, background);
    std::vector<double> depth(static_cast<size_t>(n) * n, -std::numeric_limits<double>::max());

    auto draw = [&](const Item& item) {
        const bool seeThrough = item.colour.a() < 1.0;
        const std::vector<osg::Vec3f>& positions = item.mesh.Positions();
        const std::vector<osg::Vec3f>& normals = item.mesh.Normals();
        const std::vector<unsigned>& indices = item.mesh.Indices();
        for (size_t t = 0; t + 2 < indices.size(); t += 3) {
            ScreenVertex v[3];
            for (int k = 0; k < 3; ++k) {
                const osg::Vec3d p(positions[indices[t + k]]);
                v[k] = { n / 2.0 + (p * right - midX) * scale, n / 2.0 - (p * up - midY) * scale,
                    p * toCamera, osg::Vec3d(normals[indices[t + k]]) };
            }
            const double area = Edge(v[0], v[1], v[2].x, v[2].y);
            if (area == 0.0)
                continue;
            const int x0 = std::max(0, static_cast<int>(std::floor(std::min({ v[0].x, v[1].x, v[2].x }))));
            const int x1 = std::min(n - 1, static_cast<int>(std::ceil(std::max({ v[0].x, v[1].x, v[2].x }))));
            const int y0 = std::max(0, static_cast<int>(std::floor(std::min({ v[0].y, v[1].y, v[2].y }))));
            const int y1 = std::min(n - 1, static_cast<int>(std::ceil(std::max({ v[0].y, v[1].y, v[2].y }))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const double px = x + 0.5, py = y + 0.5;
                    const double w0 = Edge(v[1], v[2], px, py) / area;
                    const double w1 = Edge(v[2], v[0], px, py) / area;
                    const double w2 = Edge(v[0], v[1], px, py) / area;
                    if (w0 < 0 || w1 < 0 || w2 < 0)
                        continue;
                    const double z = w0 * v[0].depth + w1 * v[1].depth + w2 * v[2].depth;
                    const size_t at = static_cast<size_t>(y) * n + x;
                    if (z <= depth[at])
                        continue;
                    osg::Vec3d normal = v[0].normal * w0 + v[1].normal * w1 + v[2].normal * w2;
                    normal.normalize();
                    if (normal * toCamera < 0)
                        normal = -normal;
                    const double lit = 0.35 + 0.65 * std::max(0.0, normal * light);
                    const osg::Vec3d shade(std::min(1.0, item.colour.r() * lit),
                        std::min(1.0, item.colour.g() * lit), std::min(1.0, item.colour.b() * lit));
                    if (seeThrough) {
                        const double a = item.colour.a();
                        colour[at] = shade * a + colour[at] * (1.0 - a);
                    } else {
                        colour[at] = shade;
                        depth[at] = z;
                    }
                }
            }
        }
    };
    for (const Item& item : items) {
        if (item.colour.a() >= 1.0)
            draw(item);
    }
    for (const Item& item : items) {
        if (item.colour.a() < 1.0)
            draw(item);
    }

    QImage image(m_nSize, m_nSize, QImage::Format_RGB32);
    const int s = m_nSupersample;
    for (int y = 0; y < m_nSize; ++y) {
        for (int x = 0; x < m_nSize; ++x) {
            osg::Vec3d sum;
            for (int j = 0; j < s; ++j) {
                for (int i = 0; i < s; ++i)
                    sum += colour[static_cast<size_t>(y * s + j) * n + (x * s + i)];
            }
            sum /= static_cast<double>(s * s);
            image.setPixel(x, y,
                qRgb(static_cast<int>(std::lround(sum.x() * 255)),
                    static_cast<int>(std::lround(sum.y() * 255)),
                    static_cast<int>(std::lround(sum.z() * 255))));
        }
    }
    return image;
}

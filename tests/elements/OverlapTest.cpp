#include "PartFixture.h"

#include "scene/Camera.h"

#include <osg/Quat>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

using elementstest::LoadPart;
using elementstest::ModelFileBounds;

namespace {

using Corners = std::array<osg::Vec3d, 8>;

// The eight corners of an own-frame box, posed.
Corners Posed(const osg::BoundingBox& box, const osg::Vec3d& at, const osg::Quat& rot) {
    Corners c;
    for (int i = 0; i < 8; ++i)
        c[i] = rot * osg::Vec3d(box.corner(i)) + at;
    return c;
}

// Brute force: project all sixteen corners onto every axis that can separate
// two boxes (the three edge directions of each, and their nine cross
// products) and take the widest gap; negative when they overlap.
double Separation(const Corners& a, const Corners& b) {
    // box.corner(i): bit 0 x, bit 1 y, bit 2 z.
    const osg::Vec3d ea[3] = { a[1] - a[0], a[2] - a[0], a[4] - a[0] };
    const osg::Vec3d eb[3] = { b[1] - b[0], b[2] - b[0], b[4] - b[0] };
    std::vector<osg::Vec3d> axes(ea, ea + 3);
    axes.insert(axes.end(), eb, eb + 3);
    for (const osg::Vec3d& u : ea)
        for (const osg::Vec3d& v : eb)
            axes.push_back(u ^ v);
    double widest = -1e30;
    for (osg::Vec3d axis : axes) {
        if (axis.length() < 1e-9)
            continue;
        axis.normalize();
        double aMin = 1e30, aMax = -1e30, bMin = 1e30, bMax = -1e30;
        for (int i = 0; i < 8; ++i) {
            aMin = std::min(aMin, a[i] * axis);
            aMax = std::max(aMax, a[i] * axis);
            bMin = std::min(bMin, b[i] * axis);
            bMax = std::max(bMax, b[i] * axis);
        }
        widest = std::max(widest, std::max(bMin - aMax, aMin - bMax));
    }
    return widest;
}

// Signed distance of p outside the box (negative inside), in the box's frame.
double Outside(const Corners& box, const osg::Vec3d& p) {
    double worst = -1e30;
    for (int axis = 0; axis < 3; ++axis) {
        osg::Vec3d edge = box[1 << axis] - box[0];
        const double length = edge.length();
        edge /= length;
        const double t = (p - box[0]) * edge;
        worst = std::max(worst, std::max(-t, t - length));
    }
    return worst;
}

// The convex hull of points in the x-y plane, counter-clockwise.
std::vector<osg::Vec2d> Hull(std::vector<osg::Vec2d> p) {
    std::sort(p.begin(), p.end(), [](const osg::Vec2d& a, const osg::Vec2d& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    auto cross = [](const osg::Vec2d& o, const osg::Vec2d& a, const osg::Vec2d& b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<osg::Vec2d> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0)
            --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0)
            --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
    return h;
}

// The widest gap between two convex outlines over their edge normals.
double Separation2D(const std::vector<osg::Vec2d>& a, const std::vector<osg::Vec2d>& b) {
    double widest = -1e30;
    for (const auto* poly : { &a, &b }) {
        for (std::size_t i = 0; i < poly->size(); ++i) {
            const osg::Vec2d e = (*poly)[(i + 1) % poly->size()] - (*poly)[i];
            osg::Vec2d n(-e.y(), e.x());
            if (n.length() < 1e-12)
                continue;
            n.normalize();
            double aMin = 1e30, aMax = -1e30, bMin = 1e30, bMax = -1e30;
            for (const osg::Vec2d& p : a) {
                aMin = std::min(aMin, p * n);
                aMax = std::max(aMax, p * n);
            }
            for (const osg::Vec2d& p : b) {
                bMin = std::min(bMin, p * n);
                bMax = std::max(bMax, p * n);
            }
            widest = std::max(widest, std::max(bMin - aMax, aMin - bMax));
        }
    }
    return widest;
}

struct RandomPoses {
    std::mt19937 rng { 20261209 };
    std::uniform_real_distribution<double> unit { -1.0, 1.0 };

    osg::Quat Rotation() {
        osg::Quat q(unit(rng), unit(rng), unit(rng), unit(rng));
        q /= q.length();
        return q;
    }
    osg::Vec3d Position(double spread) {
        return { spread * unit(rng), spread * unit(rng), spread * unit(rng) };
    }
};

const char* const kMotor = "models/motor/motor.ive";
const char* const kBrick = "models/brick/brick_2x4.ive";
const char* const kRcu = "models/rcu/rcu.ive";
const char* const kSmallBrick = "models/brick/brick_1x2.ive";

} // namespace

// The parts' bounding boxes, posed at random, against the brute-force test
// of all their corners on every separating axis: overlapping in 3-D exactly
// when they share space (one inside the other included), and by extents
// exactly when their world-aligned boxes overlap.
TEST(PartOverlap, ThreeDimensionalTestsAgreeWithBruteForce) {
    SPartOwner owner = elementstest::RobotBuilderOwner();
    RandomPoses random;
    int overlapping = 0, apart = 0, enclosed = 0;
    // A motor and a brick of about its size; a small brick and the control
    // unit, which it often lies inside.
    for (const auto& [first, second, spread] :
        { std::tuple { kMotor, kBrick, 6.0 }, { kRcu, kSmallBrick, 3.0 } }) {
        osg::ref_ptr<CModel> a = LoadPart(first);
        osg::ref_ptr<CModel> b = LoadPart(second);
        a->Place(&owner, PlaceRecreated);
        b->Place(&owner, PlaceRecreated);
        const osg::BoundingBox aBox = ModelFileBounds(first);
        const osg::BoundingBox bBox = ModelFileBounds(second);
        for (int i = 0; i < 2000; ++i) {
            const osg::Quat rot = random.Rotation();
            a->SetPose(osg::Vec3f(random.Position(spread)), rot, false, false);
            b->SetPose(osg::Vec3f(random.Position(spread)), i % 2 ? rot : random.Rotation(), false, false);
            const Corners ca = Posed(aBox, osg::Vec3d(a->GetState().m_vPos), a->GetState().m_qRot);
            const Corners cb = Posed(bBox, osg::Vec3d(b->GetState().m_vPos), b->GetState().m_qRot);
            const double gap = Separation(ca, cb);
            if (std::fabs(gap) < 1e-3)
                continue;
            SCOPED_TRACE(second);
            SCOPED_TRACE(i);
            ASSERT_EQ(a->Overlaps(b.get(), true, true), gap < 0);
            ++(gap < 0 ? overlapping : apart);
            if (std::all_of(cb.begin(), cb.end(), [&](const osg::Vec3d& p) { return Outside(ca, p) < 0; }))
                ++enclosed;
            bool aligned = true;
            for (int axis = 0; axis < 3; ++axis) {
                double aMin = 1e30, aMax = -1e30, bMin = 1e30, bMax = -1e30;
                for (int k = 0; k < 8; ++k) {
                    aMin = std::min(aMin, ca[k][axis]);
                    aMax = std::max(aMax, ca[k][axis]);
                    bMin = std::min(bMin, cb[k][axis]);
                    bMax = std::max(bMax, cb[k][axis]);
                }
                aligned = aligned && !(aMax < bMin || bMax < aMin);
            }
            ASSERT_EQ(a->Overlaps(b.get(), true, false), aligned);
        }
    }
    // Both answers were tested many times, a box inside the other too.
    EXPECT_GT(overlapping, 500);
    EXPECT_GT(apart, 500);
    EXPECT_GT(enclosed, 50);
}

// The same in the window: a part's box, seen through the editor's camera,
// covers the outline of its eight corners; two parts overlap where their
// outlines do.
TEST(PartOverlap, WindowTestAgreesWithBruteForce) {
    osg::ref_ptr<scene::Camera> camera = new scene::Camera;
    camera->SetViewport(0, 0, 1280, 800);
    camera->SetPerspective(45.0, 1.6, 1.0, 1000.0);
    camera->SetTransform(scene::Transform(osg::Vec3(0, -40, 30), osg::Vec3(0, -35, 0)));
    SPartOwner owner = elementstest::RobotBuilderOwner();
    owner.m_mWindow = camera->GetWindowMatrix();
    owner.m_vViewport.set(1280, 800);
    osg::ref_ptr<CModel> motor = LoadPart(kMotor, ModelTypeMotor);
    osg::ref_ptr<CModel> brick = LoadPart(kBrick);
    motor->Place(&owner, PlaceRecreated);
    brick->Place(&owner, PlaceRecreated);
    const osg::BoundingBox motorBox = ModelFileBounds(kMotor);
    const osg::BoundingBox brickBox = ModelFileBounds(kBrick);
    auto outline = [&](const Corners& c) {
        std::vector<osg::Vec2d> p;
        for (const osg::Vec3d& corner : c) {
            const osg::Vec3d w = corner * owner.m_mWindow;
            EXPECT_TRUE(w.x() > 0 && w.x() < 1280 && w.y() > 0 && w.y() < 800);
            p.emplace_back(w.x(), w.y());
        }
        return Hull(p);
    };

    RandomPoses random;
    int overlapping = 0, apart = 0;
    for (int i = 0; i < 3000; ++i) {
        motor->SetPose(osg::Vec3f(random.Position(8.0)), random.Rotation(), false, false);
        brick->SetPose(osg::Vec3f(random.Position(8.0)), random.Rotation(), false, false);
        const double gap = Separation2D(
            outline(Posed(motorBox, osg::Vec3d(motor->GetState().m_vPos), motor->GetState().m_qRot)),
            outline(Posed(brickBox, osg::Vec3d(brick->GetState().m_vPos), brick->GetState().m_qRot)));
        if (std::fabs(gap) < 0.05)
            continue;
        SCOPED_TRACE(i);
        // Window tests always compare the outlines exactly.
        ASSERT_EQ(motor->Overlaps(brick.get(), false, false), gap < 0);
        ASSERT_EQ(motor->Overlaps(brick.get(), false, true), gap < 0);
        ++(gap < 0 ? overlapping : apart);
    }
    EXPECT_GT(overlapping, 500);
    EXPECT_GT(apart, 500);

    // A part off the window's right edge (all its corners clamped to it)
    // overlaps nothing, not even a part off the same edge.
    motor->SetPose(osg::Vec3f(400, 0, 0), osg::Quat(), false, false);
    brick->SetPose(osg::Vec3f(400, 0, 0), osg::Quat(), false, false);
    EXPECT_FALSE(motor->Overlaps(brick.get(), false, false));
}

// The collision meshes (the set-up entries' boxes) against the brute-force
// test of the boxes: they collide when they share space, whether their
// surfaces cross or one lies wholly inside the other.
TEST(PartOverlap, MeshCollisionAgreesWithBruteForce) {
    const PartContextPtr& context = elementstest::LibraryContext();
    SPartOwner owner = elementstest::RobotBuilderOwner();
    auto entryBox = [&](const char* address) {
        const SBoxDesc& box = context->Database().Find(address)->boxes.at(0);
        const osg::Vec3f half(box.m_vecAxes[0].x(), box.m_vecAxes[1].y(), box.m_vecAxes[2].z());
        return osg::BoundingBox(box.m_vCenter - half, box.m_vCenter + half);
    };
    RandomPoses random;
    int crossing = 0, apart = 0, enclosed = 0;
    for (const auto& [first, second, spread] :
        { std::tuple { kMotor, kBrick, 5.0 }, { kRcu, kSmallBrick, 3.0 } }) {
        osg::ref_ptr<CModel> a = LoadPart(first);
        osg::ref_ptr<CModel> b = LoadPart(second);
        a->Place(&owner, PlaceRecreated);
        b->Place(&owner, PlaceRecreated);
        const osg::BoundingBox aBox = entryBox(first);
        const osg::BoundingBox bBox = entryBox(second);
        for (int i = 0; i < 2000; ++i) {
            const osg::Quat rot = random.Rotation();
            a->SetPose(osg::Vec3f(random.Position(spread)), rot, false, false);
            b->SetPose(osg::Vec3f(random.Position(spread)), i % 2 ? rot : random.Rotation(), false, false);
            const Corners ca = Posed(aBox, osg::Vec3d(a->GetState().m_vPos), a->GetState().m_qRot);
            const Corners cb = Posed(bBox, osg::Vec3d(b->GetState().m_vPos), b->GetState().m_qRot);
            const double gap = Separation(ca, cb);
            double nearest = 1e30;
            for (int k = 0; k < 8; ++k)
                nearest = std::min({ nearest, std::fabs(Outside(ca, cb[k])), std::fabs(Outside(cb, ca[k])) });
            if (std::fabs(gap) < 1e-3 || nearest < 1e-3)
                continue;
            const bool inside
                = std::all_of(cb.begin(), cb.end(), [&](const osg::Vec3d& p) { return Outside(ca, p) < 0; })
                || std::all_of(ca.begin(), ca.end(), [&](const osg::Vec3d& p) { return Outside(cb, p) < 0; });
            SCOPED_TRACE(second);
            SCOPED_TRACE(i);
            a->UpdateCollisionTransform();
            ASSERT_EQ(a->CollidesWith(b.get()), gap < 0);
            ++(gap < 0 ? (inside ? enclosed : crossing) : apart);
        }
    }
    EXPECT_GT(crossing, 300);
    EXPECT_GT(apart, 500);
    EXPECT_GT(enclosed, 50);
}

TEST(PartOverlap, ExtentsTouchingOverlapButNotPressedAgainstTheEdge) {
    SPartOwner owner = elementstest::RobotBuilderOwner();
    owner.m_vViewport.set(800, 600);
    osg::ref_ptr<CModel> part = new CModel(elementstest::LibraryContext(), "models/none.ive");
    part->Place(&owner, PlaceRecreated);
    auto set = [](const osg::BoundingBox& a, const osg::BoundingBox& b) {
        osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
        for (const osg::BoundingBox* box : { &a, &b })
            for (int i = 0; i < 8; ++i)
                corners->push_back(box->corner(i));
        return corners;
    };
    // Two unit boxes whose faces touch overlap.
    EXPECT_TRUE(part->ExtentsOverlap(*set({ 0, 0, 0, 1, 1, 1 }, { 1, 0, 0, 2, 1, 1 }), true));
    EXPECT_FALSE(part->ExtentsOverlap(*set({ 0, 0, 0, 1, 1, 1 }, { 1.01f, 0, 0, 2, 1, 1 }), true));
    EXPECT_FALSE(part->ExtentsOverlap(*set({ 0, 0, 0, 1, 1, 1 }, { 0, 0, 1.01f, 1, 1, 2 }), true));
    // In the window, z is not looked at; sets pressed against an edge of the
    // window (all clamped onto it) overlap nothing.
    EXPECT_TRUE(part->ExtentsOverlap(*set({ 10, 10, 0, 20, 20, 0 }, { 15, 15, 5, 30, 30, 9 }), false));
    EXPECT_FALSE(part->ExtentsOverlap(*set({ 800, 10, 0, 800, 20, 0 }, { 790, 15, 0, 800, 30, 0 }), false));
    EXPECT_FALSE(part->ExtentsOverlap(*set({ 10, 0, 0, 20, 0, 0 }, { 15, 0, 0, 30, 10, 0 }), false));
    EXPECT_TRUE(part->ExtentsOverlap(*set({ 790, 10, 0, 800, 20, 0 }, { 795, 15, 0, 800, 30, 0 }), false));
}

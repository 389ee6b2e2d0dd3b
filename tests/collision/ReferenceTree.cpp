#include "ReferenceTree.h"

namespace testmesh {

namespace {

void subdivide(ReferenceNode& node, const Mesh& store) {
    if (node.list.empty())
        return;
    Vec3 low(9e9f, 9e9f, 9e9f);
    Vec3 high(-9e9f, -9e9f, -9e9f);
    Vec3 sum;
    for (int i : node.list) {
        const Triangle& t = store[static_cast<std::size_t>(i)];
        for (const Vec3& v : { t.p, t.q, t.r }) {
            low = collision::minimum(low, v);
            high = collision::maximum(high, v);
        }
        sum = sum + t.centre();
    }
    const Vec3 mean = sum * (1.0f / static_cast<float>(node.list.size()));
    node.position = low;
    node.size = high - low;
    for (int axis = 0; axis < 3; ++axis) {
        if (node.size[axis] == 0.0f) {
            node.size.at(axis) = 0.002f;
            node.position.at(axis) -= 0.001f;
        }
    }
    Vec3 spread;
    for (int i : node.list)
        spread = spread + collision::absolute(store[static_cast<std::size_t>(i)].centre() - mean);
    int axis = 0;
    if (spread.y > spread.x && spread.y > spread.z)
        axis = 1;
    else if (spread.z > spread.x && spread.z > spread.y)
        axis = 2;
    auto first = std::make_unique<ReferenceNode>();
    auto second = std::make_unique<ReferenceNode>();
    for (int i : node.list)
        (store[static_cast<std::size_t>(i)].centre()[axis] < mean[axis] ? first : second)->list.push_back(i);
    if (first->list.size() == node.list.size() || second->list.size() == node.list.size())
        return;
    node.list.clear();
    node.children[0] = std::move(first);
    node.children[1] = std::move(second);
    for (auto& child : node.children) {
        if (child->list.size() == 1) {
            const Triangle& t = store[static_cast<std::size_t>(child->list.front())];
            child->boxedTriangle = true;
            child->position = collision::minimum(collision::minimum(t.p, t.q), t.r);
            child->size = collision::maximum(collision::maximum(t.p, t.q), t.r) - child->position;
        } else {
            subdivide(*child, store);
        }
    }
}

} // namespace

std::unique_ptr<ReferenceNode> referenceTree(const Mesh& store) {
    auto root = std::make_unique<ReferenceNode>();
    for (int i = 0; i < static_cast<int>(store.size()); ++i)
        root->list.push_back(i);
    subdivide(*root, store);
    return root;
}

ReferenceHit referenceModelSearch(const Mesh& first, const ReferenceNode& firstRoot, const Mesh& second,
    const ReferenceNode& secondRoot, const collision::AffineMap& secondToFirst) {
    struct Pair {
        const ReferenceNode* f;
        const ReferenceNode* s;
    };
    std::vector<Pair> stack { { &firstRoot, &secondRoot } };
    while (!stack.empty()) {
        const Pair pair = stack.back();
        stack.pop_back();
        const ReferenceNode& f = *pair.f;
        const ReferenceNode& s = *pair.s;
        if (!f.list.empty() && !s.list.empty()) {
            for (int j : s.list) {
                const Triangle& t = second[static_cast<std::size_t>(j)];
                const Triangle mapped { secondToFirst.point(t.p), secondToFirst.point(t.q),
                    secondToFirst.point(t.r) };
                for (int i : f.list) {
                    if (collision::trianglesIntersect(first[static_cast<std::size_t>(i)], mapped))
                        return { i, j };
                }
            }
            continue;
        }
        if (f.hasChildren() && (!s.hasChildren() || f.volume() > s.volume())) {
            stack.push_back({ f.children[0].get(), &s });
            stack.push_back({ f.children[1].get(), &s });
        } else if (s.hasChildren()) {
            stack.push_back({ &f, s.children[0].get() });
            stack.push_back({ &f, s.children[1].get() });
        }
    }
    return {};
}

int referenceSphereSearch(const Mesh& store, const ReferenceNode& root, const Vec3& centre, float radius) {
    std::vector<const ReferenceNode*> stack { &root };
    while (!stack.empty()) {
        const ReferenceNode& node = *stack.back();
        stack.pop_back();
        if (node.hasChildren()) {
            stack.push_back(node.children[1].get());
            stack.push_back(node.children[0].get());
            continue;
        }
        for (auto i = node.list.rbegin(); i != node.list.rend(); ++i) {
            Vec3 point;
            if (collision::sphereHitsTriangle(store[static_cast<std::size_t>(*i)], centre, radius, point))
                return *i;
        }
    }
    return -1;
}

} // namespace testmesh

#include "host/Evaluation.h"

#include "host/BuiltinTypes.h"
#include "host/PluginRegistry.h"
#include "ObjectCopy.h"

namespace host {

void AnimateNode(BaseList2D* node, const BaseTime& time) {
  BaseObject* op = node->GetClassification() == Obase ? static_cast<BaseObject*>(node) : nullptr;
  for (CTrack* t = node->GetFirstCTrack(); t; t = t->GetNext()) {
    const Real v = t->GetValue(time);
    const LONG target = t->GetTarget();
    if (op && (target == CTRACK_POSITION || target == CTRACK_ROTATION || target == CTRACK_SCALE)) {
      Vector vec = target == CTRACK_POSITION ? op->GetPos() : target == CTRACK_ROTATION ? op->GetRot() : op->GetScale();
      (t->GetComponent() == 0 ? vec.x : t->GetComponent() == 1 ? vec.y : vec.z) = v;
      if (target == CTRACK_POSITION) op->SetPos(vec);
      else if (target == CTRACK_ROTATION) op->SetRot(vec);
      else op->SetScale(vec);
    } else if (target != CTRACK_POSITION && target != CTRACK_ROTATION && target != CTRACK_SCALE) {
      node->GetDataInstance()->SetReal(target, v);
    }
  }
}

void AnimateTree(BaseObject* op, const BaseTime& time) {
  for (; op; op = op->GetNext()) {
    AnimateNode(op, time);
    AnimateTree(op->GetDown(), time);
  }
}

namespace {

// Generators inside caches (a plug-in generator that hands out primitives) get caches too,
// down to this depth, so a generator that contains itself cannot recurse for ever.
const int kMaxCacheDepth = 8;

// Tags of a primitive that its cache carries as copies: the Phong tag, so the cache is shaded
// as the generator asks, and plug-in tags (exit portal, subdivision, light tags), which the
// exporter reads from the polygon object it writes. Texture, selection, UVW and motion blur
// tags stay on the generator only: texture and motion blur tags are found through the cache
// parent, and the cache brings its own UVW tag.
bool CopiedToCache(const BaseTag* tag) {
  if (tag->GetType() == Tphong) return true;
  const PluginRecord* rec = PluginRegistry::Get().Find(tag->GetType());
  return rec && rec->kind == PluginKind::Tag;
}

BaseObject* PrimitiveCache(BaseObject* op) {
  PolygonObject* poly = BuildPrimitive(op);
  if (!poly) return nullptr;
  BaseTag* pred = poly->GetFirstTag();
  for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) {
    if (!CopiedToCache(t)) continue;
    if (BaseTag* copy = CloneTag(t)) {
      poly->InsertTag(copy, pred);
      pred = copy;
    }
  }
  return poly;
}

// What the generator shows at the document's current state, or null.
BaseObject* GeneratedCache(BaseObject* op) {
  if (!op->GetDeformMode()) return nullptr;  // a generator that is switched off makes nothing
  if (ObjectData* data = dynamic_cast<ObjectData*>(op->GetNodeData())) {
    // The document is evaluated for what it shows, renders and exports.
    HierarchyHelp help(op->GetDocument(), BUILDFLAGS_RENDERGEOMETRY);
    return data->GetVirtualObjects(op, &help);
  }
  // The sphere stays analytic: the exporter writes it as a sphere, so it must not meet the
  // sphere's polygons in the walk as well. Make editable builds them on request.
  if (op->GetType() == Osphere) return nullptr;
  return PrimitiveCache(op);
}

bool IsGenerator(BaseObject* op) {
  return dynamic_cast<ObjectData*>(op->GetNodeData()) != nullptr || IsPrimitiveType(op->GetType());
}

void BuildTreeCaches(BaseObject* op, int depth) {
  for (; op; op = op->GetNext()) {
    if (IsGenerator(op)) {
      op->SetCache(GeneratedCache(op));
      if (depth < kMaxCacheDepth) BuildTreeCaches(op->GetCache(), depth + 1);
    }
    BuildTreeCaches(op->GetDown(), depth);
  }
}

}  // namespace

void BuildCaches(BaseDocument* doc) { BuildTreeCaches(doc->GetFirstObject(), 0); }

}  // namespace host

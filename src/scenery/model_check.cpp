#include "scenery/model_check.h"

#include <Inventor/SbString.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoCallbackAction.h>
#include <Inventor/actions/SoGetBoundingBoxAction.h>
#include <Inventor/elements/SoCoordinateElement.h>
#include <Inventor/fields/SoMFInt32.h>
#include <Inventor/VRMLnodes/SoVRMLColor.h>
#include <Inventor/VRMLnodes/SoVRMLCoordinate.h>
#include <Inventor/VRMLnodes/SoVRMLIndexedShape.h>
#include <Inventor/VRMLnodes/SoVRMLInline.h>
#include <Inventor/VRMLnodes/SoVRMLNormal.h>
#include <Inventor/VRMLnodes/SoVRMLTextureCoordinate.h>
#include <Inventor/nodes/SoIndexedShape.h>
#include <Inventor/nodes/SoVertexProperty.h>

#include "scenery/data_file.h"

namespace {

// The callback's own url argument comes empty; the node names what it would fetch.
void fetchNothing(const SbString&, void*, SoVRMLInline* node)
{
    reportLeftOut(node->url.getNum() > 0 ? node->url[0].getString() : "Inline", "inline models are not fetched");
}

// Every entry names one of count items, or is -1, which ends a face.
bool indicesWithin(const SoMFInt32& indices, int count)
{
    for (int n = 0; n < indices.getNum(); ++n) {
        if (indices[n] < -1 || indices[n] >= count) {
            return false;
        }
    }
    return true;
}

int faceCount(const SoMFInt32& coordIndex)
{
    int faces = 0;
    for (int n = 0; n < coordIndex.getNum(); ++n) {
        faces += coordIndex[n] == -1 || n + 1 == coordIndex.getNum();
    }
    return faces;
}

// Items of a colour, coordinate, normal or texture coordinate node; -1 when there is none.
int itemCount(const SoSFNode& field)
{
    const SoNode* node = field.getValue();
    if (node == nullptr) {
        return -1;
    }
    if (node->isOfType(SoVRMLCoordinate::getClassTypeId())) {
        return static_cast<const SoVRMLCoordinate*>(node)->point.getNum();
    }
    if (node->isOfType(SoVRMLColor::getClassTypeId())) {
        return static_cast<const SoVRMLColor*>(node)->color.getNum();
    }
    if (node->isOfType(SoVRMLNormal::getClassTypeId())) {
        return static_cast<const SoVRMLNormal*>(node)->vector.getNum();
    }
    if (node->isOfType(SoVRMLTextureCoordinate::getClassTypeId())) {
        return static_cast<const SoVRMLTextureCoordinate*>(node)->point.getNum();
    }
    return -1;
}

// A property without its own index list is indexed by the coordinate list,
// per vertex, or by face number, per face.
bool propertyWithin(const SoSFNode& property, const SoMFInt32& ownIndex, bool perVertex, const SoMFInt32& coordIndex)
{
    const int count = itemCount(property);
    if (count < 0) {
        return true;
    }
    if (ownIndex.getNum() > 0) {
        return indicesWithin(ownIndex, count);
    }
    return perVertex ? indicesWithin(coordIndex, count) : faceCount(coordIndex) <= count;
}

bool vrmlShapeWithin(const SoVRMLIndexedShape* shape)
{
    const int coordinates = itemCount(shape->coord);
    return indicesWithin(shape->coordIndex, coordinates < 0 ? 0 : coordinates)
        && propertyWithin(shape->color, shape->colorIndex, shape->colorPerVertex.getValue(), shape->coordIndex)
        && propertyWithin(shape->normal, shape->normalIndex, shape->normalPerVertex.getValue(), shape->coordIndex)
        && propertyWithin(shape->texCoord, shape->texCoordIndex, true, shape->coordIndex);
}

// Scene-library shapes take their coordinates from their own vertex property
// or from the coordinates in force where they stand.
bool inventorShapeWithin(SoCallbackAction* action, const SoIndexedShape* shape)
{
    const auto* property = static_cast<const SoVertexProperty*>(shape->vertexProperty.getValue());
    const int coordinates = property != nullptr ? property->vertex.getNum() : SoCoordinateElement::getInstance(action->getState())->getNum();
    return indicesWithin(shape->coordIndex, coordinates);
}

SoCallbackAction::Response checkIndices(void* outside, SoCallbackAction* action, const SoNode* node)
{
    const bool within = node->isOfType(SoVRMLIndexedShape::getClassTypeId())
        ? vrmlShapeWithin(static_cast<const SoVRMLIndexedShape*>(node))
        : inventorShapeWithin(action, static_cast<const SoIndexedShape*>(node));
    if (within) {
        return SoCallbackAction::CONTINUE;
    }
    *static_cast<bool*>(outside) = true;
    return SoCallbackAction::ABORT;
}

void countTriangle(void* triangles, SoCallbackAction*, const SoPrimitiveVertex*, const SoPrimitiveVertex*, const SoPrimitiveVertex*)
{
    ++*static_cast<long*>(triangles);
}

}

std::string modelCheckReason(int exitStatus)
{
    switch (exitStatus) {
    case modelCheckUnopened: return "cannot be opened";
    case modelCheckNotVrml: return "not a VRML model";
    case modelCheckIndexOutside: return "an index beyond the coordinates or properties it indexes";
    case modelCheckOutOfMemory: return "needs more memory than a model may take";
    case modelCheckNotStarted: return "the model checker pelmora-model-check could not be started";
    }
    return "the model check failed with status " + std::to_string(exitStatus);
}

void refuseInlineFetching()
{
    // Read as a file of its own, an inline would be fetched at once, whatever the callback.
    SoVRMLInline::setReadAsSoFile(FALSE);
    SoVRMLInline::setFetchURLCallBack(fetchNothing, nullptr);
}

int surveyModel(SoNode* model)
{
    bool outside = false;
    long triangles = 0;
    SoCallbackAction survey;
    survey.addPreCallback(SoVRMLIndexedShape::getClassTypeId(), checkIndices, &outside);
    survey.addPreCallback(SoIndexedShape::getClassTypeId(), checkIndices, &outside);
    survey.addTriangleCallback(SoShape::getClassTypeId(), countTriangle, &triangles);
    survey.apply(model);
    if (outside) {
        return modelCheckIndexOutside;
    }
    SoGetBoundingBoxAction bounds(SbViewportRegion(640, 480));
    bounds.apply(model);
    return modelCheckPassed;
}

#include "tools/timeline/ProductionSchema.h"

#include "demo/DemoResources.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/TrackInterpolate.h"

#include <memory>

TimelineSchema productionSchema(std::vector<std::string>* missing)
{
    // The prototypes go into a pool of our own, which is put back afterwards.
    DataEffectPool* saved = VLMPulsvek::effectDataPool;
    std::unique_ptr<DataEffectPool> prototypes(new DataEffectPool());
    VLMPulsvek::effectDataPool = prototypes.get();
    DemoResources production;
    production.defineEffects();

    TimelineSchema schema;
    for (const DemoResources::Instance& instance : DemoResources::instances()) {
        Effect* prototype = prototypes->get(instance.className);
        if (!prototype) {
            if (missing)
                missing->push_back(instance.name);
            continue;
        }
        std::unique_ptr<Effect> effect(prototype->clone());
        effect->createTracks();
        std::vector<std::string>& names = schema[instance.name];
        for (int i = 0; i < effect->getTrackCount(); ++i)
            names.push_back(effect->getTrack(i)->getName());
    }
    VLMPulsvek::effectDataPool = saved;
    return schema;
}

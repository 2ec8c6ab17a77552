// An ILumarinEvent that records what it receives and can run an action inside its callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <lumarin/lumarin.h>

struct Delivery {
    std::string listener;
    int success;
    PetInfoList* list;
};

class RecordingListener : public ILumarinEvent {
public:
    RecordingListener(std::string name, std::vector<Delivery>& log)
        : name_(std::move(name)), log_(log)
    {
    }
    virtual ~RecordingListener() = default;

    void OnPetInfoResult(std::int32_t success, PetInfoList* list) override
    {
        log_.push_back({name_, success, list});
        if (onCall)
            onCall(list);
    }

    std::function<void(PetInfoList*)> onCall;

private:
    std::string name_;
    std::vector<Delivery>& log_;
};

// The listeners' names in the order they were called.
inline std::vector<std::string> CallOrder(const std::vector<Delivery>& log)
{
    std::vector<std::string> names;
    for (const Delivery& delivery : log)
        names.push_back(delivery.listener);
    return names;
}

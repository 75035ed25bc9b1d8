#include "convert/ordered_work.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
// Texts made but not yet consumed, per thread.
constexpr std::size_t kWaitingPerThread = 2;

class COrderedTexts
{
public:
    COrderedTexts(std::size_t count, std::size_t window) : m_texts(count), m_ready(count, 0), m_nWindow(window) {}

    // The next item to make, once it is within the window, with an empty
    // text to make it in; count when none is left.
    std::size_t Take(std::string& text)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_nNext >= m_texts.size() || m_nNext < m_nConsumed + m_nWindow; });
        if (m_nNext >= m_texts.size())
            return m_texts.size();
        if (!m_spare.empty())
        {
            text = std::move(m_spare.back());
            m_spare.pop_back();
        }
        return m_nNext++;
    }

    void Put(std::size_t index, std::string text)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_texts[index] = std::move(text);
            m_ready[index] = 1;
        }
        m_changed.notify_all();
    }

    // Waits for the item and hands it over; its text is then emptied for
    // another item, whose pages are already in memory.
    void Consume(std::size_t index, const std::function<void(const std::string&)>& consume)
    {
        std::string text;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_ready[index] != 0; });
            text = std::move(m_texts[index]);
        }
        consume(text);
        text.clear();
        {
            const std::lock_guard lock(m_mutex);
            ++m_nConsumed;
            m_spare.push_back(std::move(text));
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_spare;
    std::vector<char> m_ready;
    std::size_t m_nWindow;
    std::size_t m_nNext = 0;
    std::size_t m_nConsumed = 0;
};
} // namespace

unsigned CoreCount()
{
    return std::max(std::thread::hardware_concurrency(), 1u);
}

void MakeTextsInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t, std::string&)>& make,
                      const std::function<void(const std::string&)>& consume)
{
    const std::size_t workers = std::min<std::size_t>(threads, count);
    if (workers <= 1)
    {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
        {
            text.clear();
            make(i, text);
            consume(text);
        }
        return;
    }
    COrderedTexts texts(count, kWaitingPerThread * workers);
    std::vector<std::jthread> makers;
    for (std::size_t i = 0; i < workers; ++i)
    {
        try
        {
            makers.emplace_back([&] {
                for (;;)
                {
                    std::string text;
                    const std::size_t index = texts.Take(text);
                    if (index >= count)
                        break;
                    make(index, text);
                    texts.Put(index, std::move(text));
                }
            });
        }
        catch (const std::system_error&)
        {
            break; // the threads that started make the rest
        }
    }
    if (makers.empty())
        return MakeTextsInOrder(count, 1, make, consume);
    for (std::size_t i = 0; i < count; ++i)
        texts.Consume(i, consume);
}

chrome.runtime.onMessage.addListener((message, sender, respond) => {
  const port = chrome.runtime.connectNative("velsor.host");
  port.onMessage.addListener((reply) => respond({ reached: true, reply }));
  port.onDisconnect.addListener((closed) =>
    respond({ reached: false, error: chrome.runtime.lastError?.message ?? closed?.error?.message ?? "" }));
  port.postMessage({ id: 1, origin: "https://anything.example", member: "getVersion", access: "call" });
  return true;
});

// The "cancelled" package's custom action: 2 is a user's cancel.
function cancel() {
    return 2;
}

// The custom action of the "cancelled" test package: 2 is the user's cancel.
function cancel() {
    return 2;
}
